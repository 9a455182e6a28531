// What a screen reader finds in the settings and timer dialogs: every Tab stop named by its label
// or caption, the fields' own objects read by name.
#include "tests/win/SettingsDialogsKit.h"

#include <oleacc.h>
#include <wrl/client.h>

#include <cctype>
#include <utility>
#include <vector>

#include "controls/win32/AccessibleDispatch.h"
#include "settings/TimerDialogTexts.h"

namespace {

class DialogsAccessibleTest : public SettingsDialogsTest {};

// The names of the Tab stops, as accessibility finds them: a button or box by its window text (a
// skinned one paints that text: without it, its picture changes), any other field by the static
// or group box (it answers as a static) right before it among its siblings.
std::string TabStopNames(HWND dlg) {
  std::string names;
  HWND first = GetNextDlgTabItem(dlg, nullptr, FALSE), stop = first;
  do {
    char cls[32] = {};
    GetClassNameA(stop, cls, sizeof cls);
    const bool button = lstrcmpiA(cls, "Button") == 0;
    // A link is named by its own text, as a screen reader reads it: the words, not the markup.
    const bool link = lstrcmpiA(cls, "SysLink") == 0;
    HWND named = button || link ? stop : GetWindow(stop, GW_HWNDPREV);
    std::string name = WindowTextOf(named);
    if (link) {
      std::string words;
      for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '<') i = name.find('>', i);
        else words += name[i];
        if (i == std::string::npos) break;
      }
      name = words;
    }
    names += button || link || (SendMessageA(named, WM_GETDLGCODE, 0, 0) & DLGC_STATIC) ? name + "|" : "no label|";
    if (button && (GetWindowLongPtrA(stop, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW) {
      auto picture = [stop] {
        RECT rc{};
        GetClientRect(stop, &rc);
        Canvas canvas(rc.right, rc.bottom, 0);
        SendMessageA(stop, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
        return canvas.Snapshot().data;
      };
      const std::vector<DWORD> shown = picture();
      SetWindowTextA(stop, "");
      EXPECT_NE(picture(), shown) << name << " paints a caption of its own";
      SetWindowTextA(stop, name.c_str());
    }
  } while ((stop = GetNextDlgTabItem(dlg, stop, FALSE)) != first && names.size() < 4000);
  return names;
}

// The name (or value) of a control's own object, as a reader that follows the focused window
// reads it.
std::string OwnName(HWND dlg, int id, bool value = false) {
  Microsoft::WRL::ComPtr<IAccessible> object;
  if (FAILED(AccessibleObjectFromWindow(GetDlgItem(dlg, id), static_cast<DWORD>(OBJID_CLIENT), kIID_IAccessible,
                                        reinterpret_cast<void**>(object.GetAddressOf()))))
    return "(no object)";
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  if (value) object->get_accValue(self, &name);
  else object->get_accName(self, &name);
  char text[128] = {};
  if (name) WideCharToMultiByte(CP_ACP, 0, name, -1, text, sizeof text, nullptr, nullptr);
  SysFreeString(name);
  return text;
}

// Opens a dialog, reads its Tab stops in `step` and leaves it with Escape.
template <typename Dialog>
void ReadDialog(Dialog& dialog, const char* caption, const std::function<void(HWND)>& step) {
  ModalScript run;
  run.Until([caption] { return FindDialog(caption) != nullptr; }).Do([&] {
    step(FindDialog(caption));
    PressKey(VK_ESCAPE);
  });
  run.Start();
  dialog.DoModal(nullptr);
}

TEST_F(DialogsAccessibleTest, EveryTabStopOfTheSettingsDialogsIsNamedByItsLabelOrCaption) {
  Write("TIMER_SETTING02", "ITEM", "News & Weather");
  std::string preferences, pc, timer, list, rows, objects;
  // Texts shown short or misspelt on the screen, and what a reader hears of them.
  std::vector<std::pair<std::string, std::string>> shownAndRead;
  std::vector<std::string> pickerValues;
  auto shownAndReadOf = [&](HWND dlg, int id) { shownAndRead.emplace_back(WindowTextOf(GetDlgItem(dlg, id)), OwnName(dlg, id)); };
  const bool comEntered = SUCCEEDED(CoInitialize(nullptr));
  // On FM the SW rows are read-only, so no Tab stops; Tab reaches the region that is checked.
  CSettingDlg prefs(tree);
  ReadDialog(prefs, "Kestrune Setting", [&](HWND dlg) {
    preferences = TabStopNames(dlg);
    for (int id : {1121, 1058, IDC_PREF_AM_NAME1, IDC_PREF_SW_NAME1 + 2 * 11}) objects += OwnName(dlg, id) + "|";
    shownAndReadOf(dlg, IDC_PREF_BROWSE);
  });
  // A plan that says what it allows: the line and its link show.
  struct : IPowerPlan {
    WakeTimerReading ReadWakeTimers() override { return {WakeTimerSetting::Enabled}; }
    bool OpenPowerOptions() override { return true; }
  } plan;
  CMySettingDlg power(tree);
  power.SetPowerPlan(plan);
  ReadDialog(power, "PC Setting", [&](HWND dlg) {
    pc = TabStopNames(dlg);
    shownAndReadOf(dlg, IDC_PC_CLOSE_AFTER);
  });
  CTimerSetDlg timerDialog(tree);
  timerDialog.SetPowerPlan(plan);
  SettingsStore store(tree);
  CShowAll all(tree);
  all.SetRows(ReadTimerListRows(store));
  ReadDialog(timerDialog, "Recording Setting", [&](HWND dlg) {
    ClickBox(dlg, IDC_TIMER_DATE);  // the date picker takes the weekdays' place among the Tab stops
    timer = TabStopNames(dlg);
    for (int id : {IDC_TIMER_DATE_PICKER, IDC_TIMER_START, IDC_TIMER_STOP}) {
      objects += OwnName(dlg, id) + "|";
      pickerValues.push_back(OwnName(dlg, id, true));
    }
    for (int id : {IDC_TIMER_SUN, IDC_TIMER_SAT, IDC_TIMER_UNIT}) shownAndReadOf(dlg, id);
  });
  ReadDialog(all, "Show Timer setting", [&](HWND dlg) {
    list = TabStopNames(dlg);
    for (int row = 0; row < 16; ++row) rows += ListText(Item(dlg, IDC_TIMER_LIST_VIEW), row, 0) + "|";
  });

  if (comEntered) CoUninitialize();
  std::string expected;
  for (const char* band : {"FM", "AM"})
    for (int n = 1; n <= 12; ++n)
      expected += std::string(band) + " preset " + std::to_string(n) + " name|" + band + " frequency " +
                  std::to_string(n) + "|";
  EXPECT_EQ(preferences, expected + "Recording format|Folder|Brow...|Default|  Japan|OK|Cancel|");
  EXPECT_EQ(pc, "Wake up time from sleep(stand by)|Wake up before the recording by|Open Windows' power options|"
                "Let Windows start Kestrune for reservations|Sleep(Stand by) after timer recording|Shut down after timer recording|Clsose after "
                "timer recording|&OK|&Cancel|");
  expected = "Reserve record 1|News && Weather|";
  for (int n = 3; n <= 16; ++n) expected += "Reserve record " + std::to_string(n) + "|";
  EXPECT_EQ(timer, expected + "Name|FM|Station|Frequency|Recording format|Date|Date|Start|Stop|ON|OK|Cancel|List|"
                              "PC Setting|Power options|");
  EXPECT_EQ(list, "Timer recordings|");
  expected = "Reserve 1|News & Weather|";  // a row reads as its item text: the reservation's name
  for (int n = 3; n <= 16; ++n) expected += "Reserve " + std::to_string(n) + "|";
  EXPECT_EQ(rows, expected);
  // The fields' own objects carry the same names (the number beside a name field is no name; the
  // pickers' labels are group boxes and a hidden static).
  EXPECT_EQ(objects, "FM preset 1 name|FM preset 12 name|AM preset 1 name|SW preset 12 name|Date|Start|Stop|");
  // The system's objects of the pickers have no value; ours say the date and the times.
  ASSERT_EQ(pickerValues.size(), 3u);
  for (const std::string& value : pickerValues) EXPECT_FALSE(value.empty());
  EXPECT_NE(pickerValues[0].find(" 20"), std::string::npos) << pickerValues[0];  // a year, in words around it
  // Every short or misspelt text is read as something else than what the screen shows, a word
  // that begins alike (the screen keeps the dialog's texts as they always were).
  ASSERT_EQ(shownAndRead.size(), 5u);
  for (const auto& [shown, read] : shownAndRead) {
    ASSERT_FALSE(read.empty() || shown.empty());
    EXPECT_NE(read, shown);
    EXPECT_EQ(std::tolower(static_cast<unsigned char>(read[0])), std::tolower(static_cast<unsigned char>(shown[0]))) << read;
  }
}


}  // namespace
