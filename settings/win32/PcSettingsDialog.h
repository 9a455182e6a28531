#pragma once
// "PC Setting" (dialog 417), opened from the timer dialog: wake-up lead, what the power plan lets
// wake timers do (with a link to Windows' power options), whether Windows may start Kestrune for
// reservations, the hidden keep-awake choice and the action after a timer recording. OK writes
// the six values.

#include <windows.h>

#include "controls/win32/AccessibleLabel.h"
#include "controls/win32/ButtonHelp.h"
#include "controls/win32/MyCtrlColor.h"
#include "settings/WakeTimers.h"
#include "settings/PcSettings.h"
#include "settings/SettingsStore.h"

class IKeyValueTree;

class CMySettingDlg {
 public:
  explicit CMySettingDlg(IKeyValueTree& tree);
  CMySettingDlg(const CMySettingDlg&) = delete;
  CMySettingDlg& operator=(const CMySettingDlg&) = delete;

  // The power plan the wake-timer line reads; the system's unless set before DoModal.
  void SetPowerPlan(IPowerPlan& plan) { plan_ = &plan; }

  // IDOK or IDCANCEL.
  INT_PTR DoModal(HWND owner);
  // What the controls held when OK was pressed.
  const PcSettingsChoice& Choice() const { return choice_; }

  INT_PTR OnMessage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  void OnInitDialog();
  void Push();
  void TakeControls();
  void OnOK();

  SettingsStore store_;
  IPowerPlan* plan_;
  HWND dialog_ = nullptr;
  PcSettingsChoice choice_;
  CMyCtrlColor colours_{0x000000, 0xDBDBDB};
  CButtonHelp buttons_;
  // The close checkbox keeps its text as shown; a reader hears it spelt right.
  AccessibleLabel closeLabel_;
};
