#include "settings/win32/PcSettingsDialog.h"

#include "resources/settings_ids.h"
#include "settings/win32/Win32PowerPlan.h"
#include "settings/win32/ModalDialog.h"
#include "settings/win32/WakeTimersLine.h"

CMySettingDlg::CMySettingDlg(IKeyValueTree& tree) : store_(tree), plan_(&SystemPowerPlan()) {}

INT_PTR CMySettingDlg::DoModal(HWND owner) { return RunModalDialog(*this, IDD_PC_SETTINGS, owner); }

INT_PTR CMySettingDlg::OnMessage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      dialog_ = dialog;
      OnInitDialog();
      return TRUE;
    case WM_NOTIFY:
      if (IsLinkActivated(lParam, IDC_PC_POWER_OPTIONS)) plan_->OpenPowerOptions();
      return FALSE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_PC_WAKE:
          choice_.wakeUp = !choice_.wakeUp;
          Push();
          return TRUE;
        case IDC_PC_TASK_START:
          // The box ticks itself; the other boxes' clicks push the choice back to the controls.
          choice_.letWindowsStart = IsItemChecked(dialog_, IDC_PC_TASK_START);
          return TRUE;
        case IDC_PC_SLEEP_AFTER:
          ClickAfterBox(choice_, AfterBox::Standby);
          Push();
          return TRUE;
        case IDC_PC_SHUTDOWN_AFTER:
          ClickAfterBox(choice_, AfterBox::Shutdown);
          Push();
          return TRUE;
        case IDC_PC_CLOSE_AFTER:
          ClickAfterBox(choice_, AfterBox::Close);
          Push();
          return TRUE;
        case IDOK:
          OnOK();
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog_, IDCANCEL);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

void CMySettingDlg::OnInitDialog() {
  colours_.Attach(dialog_);
  buttons_.SkinChildren(dialog_);
  closeLabel_.Attach(GetDlgItem(dialog_, IDC_PC_CLOSE_AFTER), "Close after timer recording");
  for (const char* entry : {"5 min", "10 min", "15 min"})
    SendDlgItemMessageA(dialog_, IDC_PC_WAKE_LEAD, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  choice_ = LoadPcSettingsChoice(store_);
  SendDlgItemMessageA(dialog_, IDC_PC_WAKE_LEAD, CB_SETCURSEL, static_cast<WPARAM>(choice_.wakeLead), 0);
  Push();
  ShowWakeTimers(dialog_, IDC_PC_WAKE_TIMERS, IDC_PC_POWER_OPTIONS, *plan_);
  CentreDialog(dialog_);
}

void CMySettingDlg::Push() {
  SetItemChecked(dialog_, IDC_PC_WAKE, choice_.wakeUp);
  SetItemChecked(dialog_, IDC_PC_AUTO_SUSPEND, choice_.autoSuspend);
  SetItemChecked(dialog_, IDC_PC_SLEEP_AFTER, choice_.standbyAfter);
  SetItemChecked(dialog_, IDC_PC_SHUTDOWN_AFTER, choice_.shutdownAfter);
  SetItemChecked(dialog_, IDC_PC_CLOSE_AFTER, choice_.closeAfter);
  SetItemChecked(dialog_, IDC_PC_TASK_START, choice_.letWindowsStart);
  CheckRadioButton(dialog_, IDC_PC_NO, IDC_PC_SUSPEND, IDC_PC_NO + choice_.suspendChoice);
}

void CMySettingDlg::TakeControls() {
  choice_.wakeUp = IsItemChecked(dialog_, IDC_PC_WAKE);
  choice_.wakeLead = ComboSelection(dialog_, IDC_PC_WAKE_LEAD);
  choice_.autoSuspend = IsItemChecked(dialog_, IDC_PC_AUTO_SUSPEND);
  choice_.standbyAfter = IsItemChecked(dialog_, IDC_PC_SLEEP_AFTER);
  choice_.shutdownAfter = IsItemChecked(dialog_, IDC_PC_SHUTDOWN_AFTER);
  choice_.closeAfter = IsItemChecked(dialog_, IDC_PC_CLOSE_AFTER);
  choice_.letWindowsStart = IsItemChecked(dialog_, IDC_PC_TASK_START);
  choice_.suspendChoice = 0;
  for (int id = IDC_PC_NO; id <= IDC_PC_SUSPEND; ++id)
    if (IsItemChecked(dialog_, id)) choice_.suspendChoice = id - IDC_PC_NO;
}

void CMySettingDlg::OnOK() {
  TakeControls();
  SavePcSettingsChoice(store_, choice_);
  EndDialog(dialog_, IDOK);
}
