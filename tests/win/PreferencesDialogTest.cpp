// The preferences dialog on the real registry of the test prefix, driven from inside its modal
// loop with window messages and keys; each case leaves a screenshot among the artifacts.
#include "tests/win/SettingsDialogsKit.h"

namespace {

class PreferencesDialogTest : public SettingsDialogsTest {};

TEST_F(PreferencesDialogTest, PreferencesStoreTypedPresetsAndRefuseABadFrequency) {
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

TEST_F(PreferencesDialogTest, PreferencesRegionSwitchDefaultAndCtrlDefault) {
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

TEST_F(PreferencesDialogTest, PreferencesOnSwLockTheRegionAndEnterOnCancelCancels) {
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

TEST_F(PreferencesDialogTest, PreferencesBrowseForAFolderPutsItsPathInTheField) {
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

}  // namespace
