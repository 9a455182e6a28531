#include "app/win32/SchedulerPart.h"

#include "settings/win32/Win32PowerPlan.h"

bool LogFirstPowerActions::Suspend() {
  log_.Flush(kLogWaitMs);
  return power_.Suspend();
}

bool LogFirstPowerActions::ShutDown() {
  log_.Flush(kLogWaitMs);
  return power_.ShutDown();
}

SchedulerPart::SchedulerPart(CMainDlg& dialog, PowerCalls calls, IStartTaskStore* startTask)
    : dialog_(dialog),
      power_(calls),
      scheduler_(dialog.Window(), dialog.Window().Recording(), dialog.Window().Power(), loggedPower_, folders_,
                 calendar_, dialog.Window().WallClock(), dialog.Window().Clock(), dialog.Settings()) {
  scheduler_.SetReporter(&reporter_);
  scheduler_.SetPowerPlan(&SystemPowerPlan());
  if (startTask) {
    startTaskKeeper_.emplace(*startTask, dialog.Settings());
    scheduler_.SetStartTaskKeeper(&*startTaskKeeper_);
  }
  MainWindowParts parts = dialog.Window().Parts();
  parts.scheduler = &scheduler_;
  dialog.Window().SetParts(parts);
  dialog.Hooks().powerBroadcast = [this](WPARAM event, LPARAM) {
    return static_cast<LRESULT>(scheduler_.OnPowerBroadcast(static_cast<unsigned>(event)));
  };
}

void SchedulerPart::AppendLog(const std::string& folder, const std::string& line) { log_.Append(folder, line); }

bool SchedulerPart::WindowHidden() { return !IsWindowVisible(dialog_.Hwnd()); }

void SchedulerPart::Notify(const std::string& title, const std::string& text) {
  if (dialog_.Hooks().notify) dialog_.Hooks().notify(title, text);
}
