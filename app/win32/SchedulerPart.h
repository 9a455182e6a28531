#pragma once
// The scheduler joined to the main window on Windows: the power adapter, the record folders and
// the C library's calendar behind it, timer 1's tick and the power broadcasts in front of it, and
// its reports written to "Kestrune log.txt" and shown as tray notifications. Made before the
// window is created (start-up loads the schedule through it); the window's messages reach it
// until the window is destroyed, so it must not go before that.

#include "app/win32/MainDlg.h"
#include "schedule/ScheduleReport.h"
#include "schedule/Scheduler.h"
#include "schedule/win32/Win32Power.h"

class SchedulerPart final : private IReportOutput {
 public:
  // `calls` are the real shutdown and sleep calls but in tests.
  explicit SchedulerPart(CMainDlg& dialog, PowerCalls calls = SystemPowerCalls());
  SchedulerPart(const SchedulerPart&) = delete;
  SchedulerPart& operator=(const SchedulerPart&) = delete;

  Scheduler& Get() { return scheduler_; }
  Win32PowerActions& Power() { return power_; }

 private:
  // IReportOutput
  void AppendLog(const std::string& folder, const std::string& line) override;
  bool WindowHidden() override;
  void Notify(const std::string& title, const std::string& text) override;

  CMainDlg& dialog_;
  Win32PowerActions power_;
  Win32RecordFolders folders_;
  SystemSchedulerClock calendar_;
  Scheduler scheduler_;
  ScheduleReporter reporter_{*this};
};
