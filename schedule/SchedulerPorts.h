#pragma once
// The scheduler's ports: what the window sees of it, and what it drives (the application's radio,
// recording and window, calendar time, the record folders and the system's power management).
// The application implements the first three; Win32 adapters of the others live in
// schedule/win32; the native tests put fakes behind all of them.

#include <cstdint>
#include <string>

#include "device/Clock.h"

// The scheduler of timer reservations, as the main window drives it.
class ISchedulerControl {
 public:
  virtual ~ISchedulerControl() = default;
  virtual void LoadSchedule() = 0;
  // Once per new wall-clock second, after the recording display and the keep-awake rule have
  // run: ends a scheduled recording whose time is up and starts a due reservation.
  virtual void SchedulerTick(const LocalTime& now) = 0;
  // Every stop of a recording through the window's recording controls (menu, time limit,
  // playback start, display reset) ends what the scheduler counted as its own recording.
  virtual void OnRecordingStopped() {}
  // A recording that ended by itself on a failure (the disk full, the drive gone): a scheduled
  // one ends as if its time were up, its station restored and its after-action run.
  virtual void OnRecordingFailed() {}
  // The program ends (Close, Exit, the end of the session): the time it ran until is kept.
  virtual void OnClosing() {}
};

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

// The recording session of the application, as the scheduler drives it.
class IScheduledRecording {
 public:
  virtual ~IScheduledRecording() = default;
  virtual bool IsRecording() const = 0;
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
  // The file the running (or last) recording writes: the one asked for, or "_2" … beside it.
  virtual std::string RecordingPath() const = 0;
};

// The radio and the window of the application, as the scheduler drives them around a reservation,
// a standby and a shutdown.
class ISchedulerHost {
 public:
  virtual ~ISchedulerHost() = default;
  // Ends playback of a recorded file and returns to the radio; nothing while none plays.
  virtual void StopPlayback() = 0;
  // Keeps the station in use, then tunes `band` and `frequency` (its band given a second to
  // settle) with the sound and the display following.
  virtual void TuneForReservation(uint8_t band, uint16_t frequency) = 0;
  // The station kept by TuneForReservation, tuned again.
  virtual void RestoreSavedStation() = 0;
  // Where recordings go.
  virtual std::string RecordFolder() = 0;
  virtual void SaveRadioState() = 0;
  // The after-recording standby: a seek cancelled, the radio state stored, the receiver closed.
  virtual void CloseReceiver() = 0;
  // The live sound stopped (the receiver stays open).
  virtual void StopSound() = 0;
  // Every timer of the window's running work stopped: nothing of it runs while the PC sleeps.
  virtual void StopWorkTimers() = 0;
  // The system goes to standby: sound off, receiver closed, window hidden, a seek and an armed
  // preset save cancelled.
  virtual void EnterStandby() = 0;
  // Back from standby (or a standby or shutdown that was refused): the receiver brought up again.
  virtual void Resume() = 0;
  // Before the shutdown: radio state stored, device arrivals no longer heard, receiver closed.
  virtual void PrepareShutdown() = 0;
  // A refused shutdown: device arrivals heard again (Resume follows).
  virtual void ShutdownRefused() = 0;
  // The Close button's sequence: the program ends.
  virtual void CloseWindow() = 0;
};

// The system's power management, as far as the window asks it for anything.
class IPowerControl {
 public:
  virtual ~IPowerControl() = default;
  // SetThreadExecutionState with these flags.
  virtual void SetExecutionState(uint32_t flags) = 0;
};

// The system's power management. One object per process; the wake timer it arms is owned by
// it until CloseWakeTimer.
class IPowerActions : public IPowerControl {
 public:
  ~IPowerActions() override = default;
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
