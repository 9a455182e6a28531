// The settings dialogs on the real registry of the test prefix, driven from inside their modal
// loops with window messages and keys; each leaves a screenshot among the artifacts.
#include "tests/win/SettingsDialogsKit.h"

#include <oleacc.h>
#include <wrl/client.h>

#include "controls/win32/AccessibleDispatch.h"

#include "settings/TimerDialogTexts.h"

namespace {

// ---- PC settings ----

TEST_F(SettingsDialogsTest, PcSettingsEditsTheFivePowerValuesAndTheKeyboardWorks) {
  CMySettingDlg dialog(tree);
  HWND dlg = nullptr;
  HWND firstFocus = nullptr;
  script
      .Until([&] { return (dlg = FindDialog("PC Setting")) != nullptr; })
      .Do([&] {
        // Fresh settings: nothing ticked, "5 min" showing, the hidden controls off.
        EXPECT_FALSE(IsChecked(dlg, IDC_PC_WAKE));
        EXPECT_EQ(ComboSelection(dlg, IDC_PC_WAKE_LEAD), 0);
        EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_PC_WAKE_LEAD, CB_GETCOUNT, 0, 0), 3);
        EXPECT_FALSE(IsWindowVisible(Item(dlg, IDC_PC_AUTO_SUSPEND)));
        EXPECT_FALSE(IsWindowVisible(Item(dlg, IDC_PC_NO)));
        EXPECT_EQ(ItemText(dlg, IDC_PC_CLOSE_AFTER), "Clsose after timer recording");
        ClickBox(dlg, IDC_PC_WAKE);
        SendDlgItemMessageA(dlg, IDC_PC_WAKE_LEAD, CB_SETCURSEL, 2, 0);
        ClickBox(dlg, IDC_PC_SLEEP_AFTER);
        ClickBox(dlg, IDC_PC_SHUTDOWN_AFTER);  // takes over from the sleep box
        EXPECT_TRUE(IsChecked(dlg, IDC_PC_WAKE));
        EXPECT_FALSE(IsChecked(dlg, IDC_PC_SLEEP_AFTER));
        EXPECT_TRUE(IsChecked(dlg, IDC_PC_SHUTDOWN_AFTER));
        SaveShot(dlg, "pc-settings.png");
        SetFocus(Item(dlg, IDC_PC_WAKE));
        firstFocus = GetFocus();
        PressKey(VK_TAB);
      })
      .Do([&] {
        EXPECT_EQ(GetFocus(), Item(dlg, IDC_PC_WAKE_LEAD)) << "Tab moves on to the lead list";
        SetFocus(Item(dlg, IDC_PC_CLOSE_AFTER));
        PressKey(VK_RETURN);
      });
  script.Start();
  EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
  EXPECT_TRUE(script.Finished());
  EXPECT_NE(firstFocus, nullptr);
  EXPECT_EQ(General("WAKEUP"), "2");
  EXPECT_EQ(General("SHUTDOWN"), "1");
  EXPECT_EQ(General("STANDBY"), "0");
  EXPECT_EQ(General("CLOSE"), "0");
  EXPECT_EQ(General("AUTOSPEND"), "3");
}

TEST_F(SettingsDialogsTest, PcSettingsCarriesStoredValuesAndEscapeWritesNothing) {
  Write(kGeneralKey, "AUTOSPEND", "0");
  Write(kGeneralKey, "STANDBY", "1");
  Write(kGeneralKey, "CLOSE", "1");
  Write(kGeneralKey, "WAKEUP", "1");
  {
    CMySettingDlg dialog(tree);
    script.Until([] { return FindDialog("PC Setting") != nullptr; }).Do([] {
      HWND dlg = FindDialog("PC Setting");
      EXPECT_TRUE(IsChecked(dlg, IDC_PC_SLEEP_AFTER));
      EXPECT_TRUE(IsChecked(dlg, IDC_PC_CLOSE_AFTER));
      EXPECT_TRUE(IsChecked(dlg, IDC_PC_WAKE));
      EXPECT_EQ(ComboSelection(dlg, IDC_PC_WAKE_LEAD), 1);
      ClickBox(dlg, IDC_PC_WAKE);
      ClickBox(dlg, IDC_PC_SHUTDOWN_AFTER);
      PressKey(VK_ESCAPE);
    });
    script.Start();
    EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
  }
  EXPECT_EQ(General("WAKEUP"), "1");
  EXPECT_EQ(General("SHUTDOWN"), "0");

  // OK without a change writes back what it found, the hidden keep-awake choice included.
  ModalScript again;
  CMySettingDlg dialog(tree);
  again.Until([] { return FindDialog("PC Setting") != nullptr; }).Do([] {
    ClickCommand(FindDialog("PC Setting"), IDOK);
  });
  again.Start();
  EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
  EXPECT_EQ(General("AUTOSPEND"), "0");
  EXPECT_EQ(General("STANDBY"), "1");
  EXPECT_EQ(General("CLOSE"), "1");
  EXPECT_EQ(General("WAKEUP"), "1");
}

// ---- Preferences ----

TEST_F(SettingsDialogsTest, PreferencesStoreTypedPresetsAndRefuseABadFrequency) {
  RemoveDirectoryA("C:\\KestrunePrefs");
  CSettingDlg dialog(tree);
  dialog.SetRegion(1);
  dialog.SetCurrentBand(1);
  HWND dlg = nullptr;
  std::string refusal;
  script.Until([&] { return (dlg = FindDialog("Kestrune Setting")) != nullptr; })
      .Do([&] {
        EXPECT_EQ(ItemText(dlg, 1037), "87.50");
        EXPECT_EQ(ItemText(dlg, 1121), "Channel01");
        EXPECT_EQ(ItemText(dlg, 1061), "522");  // Europe's AM
        EXPECT_EQ(ComboSelection(dlg, IDC_PREF_FORMAT), 2);
        EXPECT_EQ(ItemText(dlg, IDC_PREF_FOLDER), "C:\\RadioREC");
        EXPECT_TRUE(IsChecked(dlg, IDC_PREF_EUROPE));
        EXPECT_TRUE(IsWindowEnabled(Item(dlg, IDC_PREF_USA)));
        EXPECT_FALSE(IsWindowEnabled(Item(dlg, 1086)));  // SW presets are read-only here
        EXPECT_FALSE(IsWindowEnabled(Item(dlg, 1109)));
        ClearField(Item(dlg, 1121));
        TypeInto(Item(dlg, 1121), "Classic & Jazz");
        ClearField(Item(dlg, 1037));
        TypeInto(Item(dlg, 1037), "87..5x");  // the second point and the letter are refused
        EXPECT_EQ(ItemText(dlg, 1037), "87.5");
        ClearField(Item(dlg, 1123));
        TypeInto(Item(dlg, 1123), "87.55");
        SendDlgItemMessageA(dlg, IDC_PREF_FORMAT, CB_SETCURSEL, 3, 0);
        SetWindowTextA(Item(dlg, IDC_PREF_FOLDER), "C:\\KestrunePrefs");
        SaveShot(dlg, "preferences.png");
        ClickCommand(dlg, IDOK);  // refused: the message box runs the next step
      })
      .Until(AnswerMessageBox(refusal))
      .Do([&] {
        EXPECT_EQ(refusal, "frequency 87.55 setting error!");
        EXPECT_TRUE(IsWindowVisible(dlg)) << "the dialog stays open";
        ClearField(Item(dlg, 1123));
        TypeInto(Item(dlg, 1123), "107.9");
        SetFocus(Item(dlg, 1123));
        PressKey(VK_RETURN);
      });
  script.Start();
  EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
  EXPECT_EQ(Read("CH_SET_FM_EUR", "CH01_ID"), "Classic & Jazz");
  EXPECT_EQ(Read("CH_SET_FM_EUR", "CH01_FRQ"), "8750");
  EXPECT_EQ(Read("CH_SET_FM_EUR", "CH02_FRQ"), "10790");
  EXPECT_EQ(General("COUNTRY"), "1");
  EXPECT_EQ(General("MP3BPS"), "3");
  EXPECT_EQ(General("RECORDFOLDER"), "C:\\KestrunePrefs");
  EXPECT_TRUE(PathIsDirectoryA("C:\\KestrunePrefs"));
  EXPECT_EQ(dialog.Form().format, 3);
  EXPECT_EQ(dialog.Form().folder, "C:\\KestrunePrefs");
  EXPECT_FALSE(dialog.DataReset());
  RemoveDirectoryA("C:\\KestrunePrefs");
}

TEST_F(SettingsDialogsTest, PreferencesRegionSwitchDefaultAndCtrlDefault) {
  Write(kGeneralKey, "MP3BPS", "9");  // the recorder makes 128 kbit/s of it
  Write("TIMER_SETTING03", "ITEM", "Keep me?");
  CSettingDlg dialog(tree);
  dialog.SetRegion(0);
  std::string notice;
  HWND dlg = nullptr;
  script.Until([&] { return (dlg = FindDialog("Kestrune Setting")) != nullptr; })
      .Do([&] {
        EXPECT_EQ(ComboSelection(dlg, IDC_PREF_FORMAT), 2);
        EXPECT_EQ(ItemText(dlg, 1061), "520");
        SetWindowTextA(Item(dlg, IDC_PREF_FOLDER), "D:\\Elsewhere");
        ClickBox(dlg, IDC_PREF_JAPAN);
        EXPECT_EQ(ItemText(dlg, 1037), "76.00");
        EXPECT_EQ(ItemText(dlg, 1061), "522");
        EXPECT_EQ(ItemText(dlg, IDC_PREF_FOLDER), "D:\\Elsewhere");  // typed text survives
        ClickCommand(dlg, IDC_PREF_DEFAULT);
        EXPECT_EQ(ItemText(dlg, IDC_PREF_FOLDER), "C:\\RadioREC");
        EXPECT_EQ(General("RECORDFOLDER"), "C:\\RadioREC");
        EXPECT_EQ(Read("TIMER_SETTING03", "ITEM"), "Keep me?");  // nothing written yet
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        ClickCommand(dlg, IDC_PREF_DEFAULT);
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
      })
      .Until(AnswerMessageBox(notice));
  script.Start();
  EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
  EXPECT_EQ(notice, "All data is restore to default!");
  EXPECT_EQ(Read("TIMER_SETTING03", "ITEM"), "");
  EXPECT_EQ(General("COUNTRY"), "2");
  EXPECT_EQ(General("MP3BPS"), "2");
  EXPECT_EQ(Read("CH_SET_FM_JAP", "CH01_FRQ"), "7600");
  EXPECT_EQ(dialog.Form().region, 2);
  EXPECT_TRUE(dialog.DataReset());
}

TEST_F(SettingsDialogsTest, PreferencesOnSwLockTheRegionAndEnterOnCancelCancels) {
  CSettingDlg dialog(tree);
  dialog.SetRegion(2);
  dialog.SetCurrentBand(2);
  script.Until([] { return FindDialog("Kestrune Setting") != nullptr; }).Do([] {
    HWND dlg = FindDialog("Kestrune Setting");
    for (int id = IDC_PREF_USA; id <= IDC_PREF_JAPAN; ++id) EXPECT_FALSE(IsWindowEnabled(Item(dlg, id)));
    SendDlgItemMessageA(dlg, IDC_PREF_FORMAT, CB_SETCURSEL, 0, 0);
    SetFocus(Item(dlg, IDOK));
    PressKey(VK_TAB);
  }).Do([] {
    HWND dlg = FindDialog("Kestrune Setting");
    EXPECT_EQ(GetFocus(), Item(dlg, IDCANCEL));
    EXPECT_EQ(GetWindowLongPtrA(Item(dlg, IDCANCEL), GWL_STYLE) & 0xF, BS_OWNERDRAW) << "still skinned";
    PressKey(VK_RETURN);
  });
  script.Start();
  EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
  EXPECT_EQ(General("MP3BPS"), "2");
}

TEST_F(SettingsDialogsTest, PreferencesBrowseForAFolderPutsItsPathInTheField) {
  CreateDirectoryA("C:\\KestruneBrowse", nullptr);
  CSettingDlg dialog(tree);
  dialog.SetRegion(2);
  HWND dlg = nullptr;
  std::string cancelled;
  script.Until([&] { return (dlg = FindDialog("Kestrune Setting")) != nullptr; })
      .Do([&] { ClickCommand(dlg, IDC_PREF_BROWSE); })  // the browser runs its own loop
      .Until([&] {
        HWND browser = GetActiveWindow();
        if (browser == dlg || browser == nullptr) return false;
        EXPECT_EQ(GetWindow(browser, GW_OWNER), dlg);
        PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
        return true;
      })
      .Until([&] { return GetActiveWindow() == dlg; })
      .Do([&] {
        cancelled = ItemText(dlg, IDC_PREF_FOLDER);
        ClickCommand(dlg, IDC_PREF_BROWSE);
      })
      .Until([&] {
        HWND browser = GetActiveWindow();
        if (browser == dlg || browser == nullptr) return false;
        SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>("C:\\KestruneBrowse"));
        PostMessageA(browser, WM_COMMAND, IDOK, 0);
        return true;
      })
      .Until([&] { return GetActiveWindow() == dlg; })
      .Do([&] {
        EXPECT_EQ(ItemText(dlg, IDC_PREF_FOLDER), "C:\\KestruneBrowse");
        ClickCommand(dlg, IDCANCEL);
      });
  script.Start();
  EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
  EXPECT_EQ(cancelled, "C:\\RadioREC");
  EXPECT_EQ(General("RECORDFOLDER"), "C:\\RadioREC");  // Cancel writes nothing
  RemoveDirectoryA("C:\\KestruneBrowse");
}

// ---- What a screen reader says ----

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

// The name of a control's own object, as a reader that follows the focused window reads it.
std::string OwnName(HWND dlg, int id) {
  Microsoft::WRL::ComPtr<IAccessible> object;
  if (FAILED(AccessibleObjectFromWindow(GetDlgItem(dlg, id), static_cast<DWORD>(OBJID_CLIENT), kIID_IAccessible,
                                        reinterpret_cast<void**>(object.GetAddressOf()))))
    return "(no object)";
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  object->get_accName(self, &name);
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

TEST_F(SettingsDialogsTest, EveryTabStopOfTheSettingsDialogsIsNamedByItsLabelOrCaption) {
  Write("TIMER_SETTING02", "ITEM", "News & Weather");
  std::string preferences, pc, timer, list, rows, objects;
  const bool comEntered = SUCCEEDED(CoInitialize(nullptr));
  // On FM the SW rows are read-only, so no Tab stops; Tab reaches the region that is checked.
  CSettingDlg prefs(tree);
  ReadDialog(prefs, "Kestrune Setting", [&](HWND dlg) {
    preferences = TabStopNames(dlg);
    for (int id : {1121, 1058, IDC_PREF_AM_NAME1, IDC_PREF_SW_NAME1 + 2 * 11}) objects += OwnName(dlg, id) + "|";
  });
  // A plan that says what it allows: the line and its link show.
  struct : IPowerPlan {
    WakeTimerReading ReadWakeTimers() override { return {WakeTimerSetting::Enabled}; }
    bool OpenPowerOptions() override { return true; }
  } plan;
  CMySettingDlg power(tree);
  power.SetPowerPlan(plan);
  ReadDialog(power, "PC Setting", [&](HWND dlg) { pc = TabStopNames(dlg); });
  CTimerSetDlg timerDialog(tree);
  timerDialog.SetPowerPlan(plan);
  SettingsStore store(tree);
  CShowAll all(tree);
  all.SetRows(ReadTimerListRows(store));
  ReadDialog(timerDialog, "Recording Setting", [&](HWND dlg) {
    ClickBox(dlg, IDC_TIMER_DATE);  // the date picker takes the weekdays' place among the Tab stops
    timer = TabStopNames(dlg);
    for (int id : {IDC_TIMER_DATE_PICKER, IDC_TIMER_START, IDC_TIMER_STOP}) objects += OwnName(dlg, id) + "|";
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
}

}  // namespace
