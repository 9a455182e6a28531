#include "app/win32/SchedulerPart.h"

SchedulerPart::SchedulerPart(CMainDlg& dialog, PowerCalls calls)
    : power_(calls),
      scheduler_(dialog.Window(), dialog.Window().Recording(), dialog.Window().Power(), power_, folders_, calendar_,
                 dialog.Window().WallClock(), dialog.Window().Clock(), dialog.Settings()) {
  MainWindowParts parts = dialog.Window().Parts();
  parts.scheduler = &scheduler_;
  dialog.Window().SetParts(parts);
  dialog.Hooks().powerBroadcast = [this](WPARAM event, LPARAM) {
    return static_cast<LRESULT>(scheduler_.OnPowerBroadcast(static_cast<unsigned>(event)));
  };
}
