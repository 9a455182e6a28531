#pragma once
// What the scheduler needs besides the main window: calendar time, the record folder on disk,
// the recording control and the system's power management. Win32 adapters live in
// schedule/win32; the native tests put fakes behind the same interfaces.

#include <cstdint>
#include <string>

#include "app/MainWindowPorts.h"

// Calendar time as the C library keeps it, for the distance to a reservation's next start: seconds
// that run on through daylight-saving changes, and local times converted on the same scale.
class ISchedulerClock {
 public:
  virtual ~ISchedulerClock() = default;
  virtual int64_t NowSeconds() = 0;
  // A local date and time (in range) as calendar seconds, the system deciding daylight saving.
  virtual int64_t LocalToSeconds(const LocalTime& t) = 0;
};

// std::time and std::mktime.
class SystemSchedulerClock final : public ISchedulerClock {
 public:
  int64_t NowSeconds() override;
  int64_t LocalToSeconds(const LocalTime& t) override;
};

class IRecordFolders {
 public:
  virtual ~IRecordFolders() = default;
  // True when the folder exists or could be created (one level: its parent must exist).
  virtual bool EnsureFolder(const std::string& path) = 0;
};

// The recording control of the main window, as the scheduler drives it.
class IScheduledRecording {
 public:
  virtual ~IScheduledRecording() = default;
  virtual bool IsRecording() = 0;
  // The ordinary stop: recorder stopped, labels cleared, Record button and tray icon idle.
  // Nothing happens while no recording runs.
  virtual void StopRecording() = 0;
  // Clears the label of a timed manual recording and ends its countdown (timer 10).
  virtual void CancelRecordLimit() = 0;
  // Records into `file` at `kbps`, shows the recording with `name` and counts its elapsed time
  // from `startSeconds` (IWallClock::CalendarSeconds). False when the recorder could not start; its message
  // has been shown and the window stays idle.
  virtual bool StartScheduledRecording(const std::string& file, uint16_t kbps, const std::string& name,
                                       int64_t startSeconds) = 0;
};

// The system's power management. One object per process; the wake timer it arms is owned by
// it until CloseWakeTimer.
class IPowerActions {
 public:
  virtual ~IPowerActions() = default;
  virtual void SetExecutionState(uint32_t flags) = 0;
  // The waitable timer "WaitForResume", automatic reset, set once to fire after `seconds` and
  // to wake the computer. Nothing is set when it cannot be created.
  virtual void ArmWakeTimer(uint32_t seconds) = 0;
  virtual void CloseWakeTimer() = 0;
  virtual void RequestWakeupLatency() = 0;
  virtual void Beep() = 0;  // 2000 Hz, 100 ms
  // Ordinary sleep (not hibernation), wake events allowed. False when the system refused.
  virtual bool Suspend() = 0;
  // Version query, the shutdown privilege on the process token, then shutdown forced. False
  // when any step failed.
  virtual bool ShutDown() = 0;
};
