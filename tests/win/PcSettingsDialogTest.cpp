// The PC settings dialog on the real registry of the test prefix, driven from inside its modal
// loop with window messages and keys; each case leaves a screenshot among the artifacts.
#include "tests/win/SettingsDialogsKit.h"

namespace {

class PcSettingsDialogTest : public SettingsDialogsTest {};

TEST_F(PcSettingsDialogTest, PcSettingsEditsTheFivePowerValuesAndTheKeyboardWorks) {
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

TEST_F(PcSettingsDialogTest, PcSettingsCarriesStoredValuesAndEscapeWritesNothing) {
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

}  // namespace
