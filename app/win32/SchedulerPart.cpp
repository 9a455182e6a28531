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

SchedulerPart::SchedulerPart(ISchedulerHost& host, IScheduledRecording& recording, PowerState& powerState,
                             IPowerActions& power, IRecordFolders& folders, IWallClock& wallClock, IClock& clock,
                             SettingsStore& settings, LogWriter& log, const DialogWindow& window, ITrayIcon* tray,
                             IStartTaskStore* startTask)
    : log_(log),
      window_(window),
      tray_(tray),
      loggedPower_(power, log_),
      scheduler_(host, recording, powerState, loggedPower_, folders, calendar_, wallClock, clock, settings) {
  scheduler_.SetReporter(&reporter_);
  scheduler_.SetPowerPlan(&SystemPowerPlan());
  if (startTask) {
    startTaskKeeper_.emplace(*startTask, settings);
    scheduler_.SetStartTaskKeeper(&*startTaskKeeper_);
  }
}

void SchedulerPart::AppendLog(const std::string& folder, const std::string& line) { log_.Append(folder, line); }

bool SchedulerPart::WindowHidden() { return !IsWindowVisible(window_.Hwnd()); }

void SchedulerPart::Notify(const std::string& title, const std::string& text) {
  if (tray_) tray_->Notify(title, text);
}
