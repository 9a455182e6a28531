#include "schedule/win32/WindowScheduler.h"

WindowScheduler::WindowScheduler(CMainDlg& dialog, PowerCalls calls)
    : power_(calls),
      recording_(dialog.Window()),
      scheduler_(dialog.Window(), recording_, power_, folders_, calendar_) {
  MainWindowParts parts = dialog.Window().Parts();
  parts.scheduler = &scheduler_;
  dialog.Window().SetParts(parts);
  dialog.Hooks().powerBroadcast = [this](WPARAM event, LPARAM) {
    return static_cast<LRESULT>(scheduler_.OnPowerBroadcast(static_cast<unsigned>(event)));
  };
}
