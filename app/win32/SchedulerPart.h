#pragma once
// The scheduler on Windows: the power adapter, the record folders and the C library's calendar
// behind it, the power broadcasts in front of it, and its reports written to "Kestrune log.txt"
// (by a thread of its own, see LogWriter, which the program's exit shares) and shown as tray
// notifications; and, given Windows' Task Scheduler, the task that starts the program for the
// next reservation, kept in step with the schedule.

#include <optional>

#include "app/win32/LogWriter.h"
#include "app/win32/MainDlgPorts.h"
#include "app/win32/WindowLayer.h"
#include "schedule/ScheduleReport.h"
#include "schedule/Scheduler.h"
#include "schedule/StartTask.h"
#include "schedule/win32/Win32Calendar.h"
#include "schedule/win32/Win32Power.h"

// The power actions with the log written out first: a forced shutdown ends the process without
// its destructors, and a PC put to sleep may not wake again.
class LogFirstPowerActions final : public IPowerActions {
 public:
  // Waits at most this long for the log before the PC goes.
  static constexpr DWORD kLogWaitMs = 2000;

  LogFirstPowerActions(IPowerActions& power, LogWriter& log) : power_(power), log_(log) {}

  void SetExecutionState(uint32_t flags) override { power_.SetExecutionState(flags); }
  void ArmWakeTimer(int64_t dueAt) override { power_.ArmWakeTimer(dueAt); }
  void CloseWakeTimer() override { power_.CloseWakeTimer(); }
  void RequestWakeupLatency() override { power_.RequestWakeupLatency(); }
  void Beep() override { power_.Beep(); }
  bool Suspend() override;
  bool ShutDown() override;

 private:
  IPowerActions& power_;
  LogWriter& log_;
};

class SchedulerPart final : public IPowerBroadcastSink, private IReportOutput {
 public:
  // `log` writes the reports and must outlive the part. `window` is looked at for whether it is
  // hidden, `tray` (optional) shows the notifications. `startTask` is Windows' Task Scheduler in
  // the program; without one (tests of other things) no task is kept.
  SchedulerPart(ISchedulerHost& host, IScheduledRecording& recording, PowerState& powerState, IPowerActions& power,
                IRecordFolders& folders, IWallClock& wallClock, IClock& clock, SettingsStore& settings,
                LogWriter& log, const DialogWindow& window, ITrayIcon* tray, IStartTaskStore* startTask);
  SchedulerPart(const SchedulerPart&) = delete;
  SchedulerPart& operator=(const SchedulerPart&) = delete;

  Scheduler& Get() { return scheduler_; }

  // IPowerBroadcastSink
  LRESULT OnPowerBroadcast(WPARAM event) override {
    return static_cast<LRESULT>(scheduler_.OnPowerBroadcast(static_cast<unsigned>(event)));
  }

 private:
  // IReportOutput
  void AppendLog(const std::string& folder, const std::string& line) override;
  bool WindowHidden() override;
  void Notify(const std::string& title, const std::string& text) override;
  void Flush() override { log_.Flush(LogFirstPowerActions::kLogWaitMs); }

  LogWriter& log_;
  const DialogWindow& window_;
  ITrayIcon* tray_;
  LogFirstPowerActions loggedPower_;
  Win32Calendar calendar_;
  std::optional<StartTaskKeeper> startTaskKeeper_;
  Scheduler scheduler_;
  ScheduleReporter reporter_{*this};
};
