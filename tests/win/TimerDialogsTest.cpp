// The timer settings and the timer list on the real registry of the test prefix, driven from
// inside their modal loops with window messages, keys and mouse clicks.
#include "tests/win/SettingsDialogsKit.h"

namespace {

// A suite of its own: the settings dialogs' fixture is a class of each test file.
class TimerDialogsTest : public SettingsDialogsTest {};

// ---- Timer settings and the timer list ----

std::string TimerValue(int n, const char* name) {
  char key[32];
  std::snprintf(key, sizeof key, "TIMER_SETTING%02d", n);
  return Read(key, name);
}
void WriteTimer(int n, const char* name, const std::string& text) {
  char key[32];
  std::snprintf(key, sizeof key, "TIMER_SETTING%02d", n);
  Write(key, name, text);
}

// Whether a selector button shows the selection marks (red, one and two pixels inside its edge),
// as the button paints itself into a picture: no other window on the display can hide them.
bool ShowsSelected(HWND button) {
  RECT rc{};
  GetClientRect(button, &rc);
  Canvas canvas(rc.right, rc.bottom, 0);
  SendMessageA(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  return canvas.At(rc.right / 2, 1) == 0xFF0000 && canvas.At(rc.right / 2, 2) == 0xFF0000 &&
         canvas.At(rc.right / 2, 3) != 0xFF0000;
}

void SelectStation(HWND dlg, int entry) {
  SendDlgItemMessageA(dlg, IDC_TIMER_STATION, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_TIMER_STATION, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(Item(dlg, IDC_TIMER_STATION)));
}

// The mouse's double-click on a row of the timer list, as the list view receives it.
void DoubleClickRow(HWND list, int index) {
  RECT row{};
  row.left = LVIR_BOUNDS;
  SendMessageA(list, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&row));
  const LPARAM at = MAKELPARAM(row.left + 20, (row.top + row.bottom) / 2);
  SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(list, WM_LBUTTONUP, 0, at);
  SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendMessageA(list, WM_LBUTTONUP, 0, at);
}

TEST_F(TimerDialogsTest, TimerDialogSavesOnSwitchingAndCancelKeepsWhatWasSaved) {
  CTimerSetDlg dialog(tree);
  dialog.SetRegion(2);
  HWND dlg = nullptr;
  script.Until([&] { return (dlg = FindDialog("Recording Setting")) != nullptr; })
      .Do([&] {
        EXPECT_EQ(ItemText(dlg, IDC_TIMER_SELECT1), "Reserve record 1");
        EXPECT_EQ(ItemText(dlg, IDC_TIMER_SELECT16), "Reserve record 16");
        EXPECT_TRUE(ShowsSelected(Item(dlg, IDC_TIMER_SELECT1)));
        EXPECT_FALSE(ShowsSelected(Item(dlg, IDC_TIMER_SELECT1 + 1)));
        EXPECT_FALSE(IsWindowEnabled(Item(dlg, IDC_TIMER_SW)));
        EXPECT_TRUE(IsChecked(dlg, IDC_TIMER_FM));
        EXPECT_TRUE(IsChecked(dlg, IDC_TIMER_WEEKLY));  // the fresh "2" means weekly
        EXPECT_TRUE(IsChecked(dlg, IDC_TIMER_SUN));
        EXPECT_FALSE(IsWindowEnabled(Item(dlg, IDC_TIMER_DATE_PICKER)));
        EXPECT_EQ(ItemText(dlg, IDC_TIMER_FREQUENCY), "8750");
        EXPECT_EQ(ItemText(dlg, IDC_TIMER_UNIT), "Mhz");
        EXPECT_EQ(ComboSelection(dlg, IDC_TIMER_FORMAT), 2);
        EXPECT_EQ(ComboSelection(dlg, IDC_TIMER_STATION), 0);  // "Appointed": no Japan preset holds 8750
        TypeInto(Item(dlg, IDC_TIMER_NAME), "News & Weather at six!");  // 20 characters at most
        ClickBox(dlg, IDC_TIMER_ON);
        ClickBox(dlg, IDC_TIMER_SUN);
        ClickBox(dlg, IDC_TIMER_THU);
        ClickCommand(dlg, IDC_TIMER_SELECT1 + 1);  // reservation 2: reservation 1 is saved
        EXPECT_EQ(ItemText(dlg, IDC_TIMER_SELECT1), "News && Weather at si");
        EXPECT_TRUE(ShowsSelected(Item(dlg, IDC_TIMER_SELECT1 + 1)));
        EXPECT_FALSE(ShowsSelected(Item(dlg, IDC_TIMER_SELECT1)));
        EXPECT_EQ(ItemText(dlg, IDC_TIMER_NAME), "");
        // Band AM with "Appointed": the band's default, in kHz.
        ClickBox(dlg, IDC_TIMER_AM);
        EXPECT_EQ(ItemText(dlg, IDC_TIMER_FREQUENCY), "520");
        EXPECT_EQ(ItemText(dlg, IDC_TIMER_UNIT), "Khz");
        EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_TIMER_STATION, CB_GETCOUNT, 0, 0), 13);
        SelectStation(dlg, 3);
        EXPECT_EQ(ItemText(dlg, IDC_TIMER_FREQUENCY), "522");
        EXPECT_FALSE(IsWindowEnabled(Item(dlg, IDC_TIMER_FREQUENCY)));
        SelectStation(dlg, 0);
        EXPECT_TRUE(IsWindowEnabled(Item(dlg, IDC_TIMER_FREQUENCY)));
        SaveShot(dlg, "timer-settings.png");
        PressKey(VK_ESCAPE);
      });
  script.Start();
  EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
  EXPECT_EQ(TimerValue(1, "ITEM"), "News & Weather at si");
  EXPECT_EQ(TimerValue(1, "ACTIVE"), "1");
  EXPECT_EQ(TimerValue(1, "DATETYPE"), "1");
  EXPECT_EQ(TimerValue(1, "WEEK"), "0000100");
  EXPECT_EQ(TimerValue(1, "NAME"), "Appointed");
  EXPECT_EQ(TimerValue(2, "ISAMFM"), "1");  // reservation 2 was never saved
}

TEST_F(TimerDialogsTest, TimerDialogRefusesABadFrequencyOnOkAndKeepsTheChosenDate) {
  CTimerSetDlg dialog(tree);
  dialog.SetRegion(1);
  HWND dlg = nullptr;
  std::string refusal;
  SYSTEMTIME chosen{2030, 5, 0, 17, 0, 0, 0, 0};
  script.Until([&] { return (dlg = FindDialog("Recording Setting")) != nullptr; })
      .Do([&] {
        ClickBox(dlg, IDC_TIMER_DATE);
        EXPECT_TRUE(IsWindowEnabled(Item(dlg, IDC_TIMER_DATE_PICKER)));
        EXPECT_FALSE(IsWindowEnabled(Item(dlg, IDC_TIMER_THU)));
        EXPECT_FALSE(IsChecked(dlg, IDC_TIMER_SUN));
        HWND picker = Item(dlg, IDC_TIMER_DATE_PICKER);
        DateTime_SetSystemtime(picker, GDT_VALID, &chosen);
        // Opening the calendar keeps the chosen date.
        RECT rc{};
        GetClientRect(picker, &rc);
        const LPARAM arrow = MAKELPARAM(rc.right - 6, rc.bottom / 2);
        SendMessageA(picker, WM_LBUTTONDOWN, MK_LBUTTON, arrow);
        SendMessageA(picker, WM_LBUTTONUP, 0, arrow);
        HWND calendar = DateTime_GetMonthCal(picker);
        EXPECT_NE(calendar, nullptr);
        SYSTEMTIME shown{};
        if (calendar) {
          MonthCal_GetCurSel(calendar, &shown);
          EXPECT_EQ(shown.wYear * 10000 + shown.wMonth * 100 + shown.wDay, 20300517);
          EXPECT_EQ(MonthCal_GetColor(calendar, MCSC_TRAILINGTEXT), RGB(255, 0, 0));
          SendMessageA(picker, WM_LBUTTONDOWN, MK_LBUTTON, arrow);  // and closes again
          SendMessageA(picker, WM_LBUTTONUP, 0, arrow);
        }
        DateTime_GetSystemtime(picker, &shown);
        EXPECT_EQ(shown.wYear * 10000 + shown.wMonth * 100 + shown.wDay, 20300517);
        SetWindowTextA(Item(dlg, IDC_TIMER_FREQUENCY), "87.55");
        SetWindowTextA(Item(dlg, IDC_TIMER_NAME), "Morning");
        ClickCommand(dlg, IDOK);
      })
      .Until(AnswerMessageBox(refusal))
      .Do([&] {
        EXPECT_EQ(refusal, "frequency 87.55 setting error!");
        EXPECT_TRUE(IsWindowVisible(dlg));
        EXPECT_EQ(TimerValue(1, "ITEM"), "Morning");  // written before the check
        EXPECT_EQ(TimerValue(1, "DATETYPE"), "2");    // not reached
        SetWindowTextA(Item(dlg, IDC_TIMER_FREQUENCY), " 87.5 ");
        SetFocus(Item(dlg, IDC_TIMER_FREQUENCY));
        PressKey(VK_RETURN);
      });
  script.Start();
  EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
  EXPECT_EQ(TimerValue(1, "FREQ"), "8750");
  EXPECT_EQ(TimerValue(1, "DATETYPE"), "0");
  EXPECT_EQ(TimerValue(1, "DATE"), "20300517");
  EXPECT_EQ(TimerValue(1, "WEEK"), "1000000");  // the weekly side keeps what it held
}

TEST_F(TimerDialogsTest, TimerListShowsEveryReservationAndEditsARowInPlace) {
  WriteTimer(1, "DATETYPE", "1");
  WriteTimer(1, "WEEK", "0000100");
  WriteTimer(4, "QUALITY", "3");
  WriteTimer(4, "NAME", "Appointed");
  CTimerSetDlg dialog(tree);
  dialog.SetRegion(2);
  HWND dlg = nullptr, listDlg = nullptr, single = nullptr;
  int normalHeight = 0;
  script.Until([&] { return (dlg = FindDialog("Recording Setting")) != nullptr; })
      .Do([&] {
        RECT rc{};
        GetWindowRect(dlg, &rc);
        normalHeight = rc.bottom - rc.top;
        ClickCommand(dlg, IDC_TIMER_LIST);  // the list runs its own loop from here
      })
      .Until([&] { return (listDlg = FindDialog("Show Timer setting")) != nullptr; })
      .Do([&] {
        EXPECT_FALSE(IsWindowVisible(dlg)) << "the timer dialog hides behind the list";
        HWND list = Item(listDlg, IDC_TIMER_LIST_VIEW);
        EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 16);
        EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0), 140);
        EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 4, 0), 175);
        EXPECT_EQ(ListText(list, 0, 0), "Reserve 1");
        EXPECT_EQ(ListText(list, 0, 4), "THE ");
        EXPECT_EQ(ListText(list, 3, 7), "64  Kps");
        EXPECT_EQ(ListText(list, 3, 1), "");
        EXPECT_EQ(ListText(list, 15, 8), "OFF");
        EXPECT_TRUE(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_GRIDLINES);
        SaveShot(listDlg, "timer-list.png");
        DoubleClickRow(list, 2);  // the editor runs its loop from here
      })
      .Until([&] { return (single = FindDialog("Recording Setting")) != nullptr; })
      .Do([&] {
        EXPECT_NE(single, dlg);
        EXPECT_FALSE(IsWindowVisible(Item(single, IDC_TIMER_SELECT1)));
        RECT frame{}, window{};
        GetWindowRect(Item(single, IDC_TIMER_FRAME), &frame);
        MapWindowPoints(nullptr, single, reinterpret_cast<POINT*>(&frame), 2);
        EXPECT_EQ(frame.top, 3);
        GetWindowRect(single, &window);
        EXPECT_EQ(window.bottom - window.top, normalHeight * 2 / 3);
        TypeInto(Item(single, IDC_TIMER_NAME), "Third");
        SaveShot(single, "timer-settings-single.png");
        PressKey(VK_RETURN);  // OK: saved, and the list shows it
      })
      .Until([&] { return FindDialog("Recording Setting") == nullptr; })
      .Do([&] {
        EXPECT_EQ(ListText(Item(listDlg, IDC_TIMER_LIST_VIEW), 2, 0), "Third");
        PressKey(VK_ESCAPE);
      })
      .Until([&] { return FindDialog("Recording Setting") == dlg; })
      .Do([&] {
        EXPECT_EQ(ItemText(dlg, IDC_TIMER_SELECT1 + 2), "Third");
        EXPECT_TRUE(ShowsSelected(Item(dlg, IDC_TIMER_SELECT1)));
        ClickCommand(dlg, IDCANCEL);
      });
  script.Start();
  EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
  EXPECT_EQ(TimerValue(3, "ITEM"), "Third");
}

// Every value of reservation n as stored.
std::vector<std::string> StoredReservation(int n) {
  std::vector<std::string> values;
  for (const char* name : {"ITEM", "ACTIVE", "ISAMFM", "FREQ", "QUALITY", "DATETYPE", "DATE", "WEEK", "STARTTIME",
                           "ENDSTART", "NAME"})
    values.push_back(TimerValue(n, name));
  return values;
}

// Edits every kind of value on screen with the focus left in the name field, a frequency the
// check refuses among them, without moving the focus (as typing would not).
void EditWithoutSaving(HWND dlg, const char* name) {
  SetFocus(Item(dlg, IDC_TIMER_NAME));
  TypeInto(Item(dlg, IDC_TIMER_NAME), name);
  CheckDlgButton(dlg, IDC_TIMER_ON, BST_CHECKED);
  SYSTEMTIME start{};
  GetLocalTime(&start);
  start.wHour = 6;
  start.wMinute = 30;
  DateTime_SetSystemtime(Item(dlg, IDC_TIMER_START), GDT_VALID, &start);
  SetWindowTextA(Item(dlg, IDC_TIMER_FREQUENCY), "87.55");
  ASSERT_EQ(GetFocus(), Item(dlg, IDC_TIMER_NAME));
}

// A mouse click on a push button as the button sees it: the press takes the focus before the
// release makes the click.
void MouseClick(HWND button) {
  RECT rc{};
  GetClientRect(button, &rc);
  const LPARAM at = MAKELPARAM(rc.right / 2, rc.bottom / 2);
  PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(button, WM_LBUTTONUP, 0, at);
}

TEST_F(TimerDialogsTest, TimerDialogCancelByMouseOrEscapeWritesNothingOnScreen) {
  std::string refusal;
  {
    const std::vector<std::string> third = StoredReservation(3);
    // The editor of one row, opened from the list: Cancel clicked with the mouse.
    CTimerSetDlg dialog(tree);
    dialog.SetRegion(2);
    ModalScript run;
    HWND dlg = nullptr, listDlg = nullptr, single = nullptr;
    run.Until([&] { return (dlg = FindDialog("Recording Setting")) != nullptr; })
        .Do([&] { ClickCommand(dlg, IDC_TIMER_LIST); })
        .Until([&] { return (listDlg = FindDialog("Show Timer setting")) != nullptr; })
        .Do([&] { DoubleClickRow(Item(listDlg, IDC_TIMER_LIST_VIEW), 2); })
        .Until([&] { return (single = FindDialog("Recording Setting")) != nullptr; })
        .Do([&] {
          EditWithoutSaving(single, "Not this");
          MouseClick(Item(single, IDCANCEL));
        })
        .Until([&] {
          AnswerMessageBox(refusal)();
          return FindDialog("Recording Setting") == nullptr;
        })
        .Do([&] {
          EXPECT_TRUE(IsWindowVisible(listDlg));
          EXPECT_EQ(ListText(Item(listDlg, IDC_TIMER_LIST_VIEW), 2, 0), "Reserve 3");
          PressKey(VK_ESCAPE);
        })
        .Until([&] { return FindDialog("Recording Setting") == dlg; })
        .Do([&] { ClickCommand(dlg, IDCANCEL); });
    run.Start();
    EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
    EXPECT_EQ(refusal, "");
    EXPECT_EQ(StoredReservation(3), third);
  }
  for (const bool escape : {false, true}) {
    const std::vector<std::string> first = StoredReservation(1);
    refusal.clear();
    CTimerSetDlg dialog(tree);
    dialog.SetRegion(2);
    ModalScript run;
    HWND dlg = nullptr;
    run.Until([&] { return (dlg = FindDialog("Recording Setting")) != nullptr; })
        .Do([&] {
          EditWithoutSaving(dlg, "Not this either");
          if (escape)
            PressKey(VK_ESCAPE);
          else
            MouseClick(Item(dlg, IDCANCEL));
        })
        .Until(AnswerMessageBox(refusal));  // only should the dialog stay open
    run.Start();
    EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL) << (escape ? "Escape" : "Cancel");
    EXPECT_EQ(refusal, "") << (escape ? "Escape" : "Cancel");
    EXPECT_EQ(StoredReservation(1), first) << (escape ? "Escape" : "Cancel");
  }
}

}  // namespace
