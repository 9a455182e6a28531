#pragma once
// "Recording Setting" (dialog 414): one of the sixteen reservations at a time, chosen with the
// selector buttons along the top. Every switch, leaving the name field, "List" and OK write the
// reservation being left, so Cancel keeps what was saved on the way. Opened from the timer list
// for one row, the selectors are hidden and the dialog edits that reservation only. Beside "PC
// Setting" a line says what the power plan lets wake timers do, where the system says.

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>

#include "controls/win32/AccessibleLabel.h"
#include "controls/win32/ButtonHelp.h"
#include "controls/win32/MyCtrlColor.h"
#include "controls/win32/MyEdit.h"
#include "settings/WakeTimers.h"
#include "settings/SettingsStore.h"
#include "settings/TimerDialogTexts.h"
#include "settings/TimerSetting.h"

class CShowAll;
class IKeyValueTree;

class CTimerSetDlg {
 public:
  // The PC settings' new keep-awake rule goes to `setExecutionState` (the program's power
  // adapter) when they are accepted; without it the rule waits for the program's next tick.
  using ExecutionStateSetter = std::function<void(uint32_t flags)>;
  explicit CTimerSetDlg(IKeyValueTree& tree, ExecutionStateSetter setExecutionState = {});
  CTimerSetDlg(const CTimerSetDlg&) = delete;
  CTimerSetDlg& operator=(const CTimerSetDlg&) = delete;

  // Set by the opener before DoModal.
  void SetRegion(uint8_t region) { region_ = region; }
  // The power plan whose wake timers the dialog, the PC settings and the list show; the system's
  // unless set.
  void SetPowerPlan(IPowerPlan& plan) { plan_ = &plan; }
  // Edits reservation row + 1 only; `list` is the list that opened it and is refreshed after.
  void SetSingleReservation(CShowAll* list, int row);

  // IDOK or IDCANCEL.
  INT_PTR DoModal(HWND owner);
  int CurrentReservation() const { return current_; }

  INT_PTR OnMessage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  void OnInitDialog();
  void ApplySingleLayout();
  void SelectReservation(int n);
  void LoadReservation(int n);
  void LoadDateSide(int dateType);
  void RefillStations(uint8_t previousBand);
  void Push();
  void PushDateSide();
  void Take();
  bool Save();
  void ReservationButton(int n);
  void OnBand();
  void OnStationChange();
  void OnDateDropDown();
  void OnPcSetting();
  void OnList();
  void OnOK();
  void OnCancel();
  void RefreshList();
  // The list's rows, ON reservations marked when the PC will not wake for them.
  std::vector<std::string> ListRows();

  IKeyValueTree& tree_;
  ExecutionStateSetter setExecutionState_;
  SettingsStore store_;
  IPowerPlan* plan_;
  HWND dialog_ = nullptr;
  uint8_t region_ = 2;
  int current_ = 1;
  TimerSetting setting_;
  std::string storedFrequency_;  // "FREQ" as loaded, for matching presets
  StationList stations_;
  bool single_ = false;
  int singleRow_ = 0;
  CShowAll* list_ = nullptr;
  bool saveBeforeList_ = true;
  bool ending_ = false;  // the dialog is closing: focus changes no longer save
  bool saving_ = false;
  CMyCtrlColor colours_{0x408040, 0xDBDBDB};
  CButtonHelp buttons_;
  CMyEditA name_;
  // The date and time pickers read as their labels, which are group boxes and a hidden static.
  std::array<AccessibleLabel, 3> pickerLabels_;
  std::array<AccessibleLabel, 7> dayLabels_;
  AccessibleLabel unitLabel_;
};
