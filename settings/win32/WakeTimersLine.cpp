#include "settings/win32/WakeTimersLine.h"

#include <commctrl.h>

#include <string>

void ShowWakeTimers(HWND dialog, int lineId, int linkId, IPowerPlan& plan) {
  const std::string line = WakeTimerLine(plan.ReadWakeTimers());
  SetDlgItemTextA(dialog, lineId, line.c_str());
  ShowWindow(GetDlgItem(dialog, lineId), line.empty() ? SW_HIDE : SW_SHOWNA);
  ShowWindow(GetDlgItem(dialog, linkId), line.empty() ? SW_HIDE : SW_SHOWNA);
}

bool IsLinkActivated(LPARAM notify, int linkId) {
  const auto* header = reinterpret_cast<const NMHDR*>(notify);
  return header->idFrom == static_cast<UINT_PTR>(linkId) && (header->code == NM_CLICK || header->code == NM_RETURN);
}
