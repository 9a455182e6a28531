#pragma once
// The scheduler of timer reservations and the program's dealings with power management. Runs
// on the main window's thread: once per new wall-clock second (timer 1) it ends a scheduled
// recording whose time is up, restores the station in use before it and carries out the
// after-recording action, then starts the reservation that is due. Power broadcasts enter
// through OnPowerBroadcast.
//
// A start is never lost to a second without a tick (a long wait on the window thread, a wake
// from standby just before the start): the next tick starts what fell into the last minute of
// skipped seconds, unless its stop time has come meanwhile. And a reservation starts at most once
// per date and start time, so the hour repeated when the clock falls back does not record over
// the first recording; the date and time are kept in its key, so neither does a program that
// closed itself after the recording and is started again within the minute.

#include <array>
#include <cstdint>
#include <string>

#include "schedule/PowerState.h"
#include "schedule/ScheduleReport.h"
#include "schedule/ScheduleTable.h"
#include "schedule/SchedulerPorts.h"

class SettingsStore;

// Power broadcast events (WM_POWERBROADCAST's wParam) the scheduler acts on.
enum PowerEvent : unsigned {
  kPowerQuerySuspend = 0,
  kPowerSuspend = 4,
  kPowerResumeSuspend = 7,
  kPowerResumeAutomatic = 18,
};

class Scheduler final : public ISchedulerControl {
 public:
  // Everything must outlive the scheduler. `powerState` is shared with the window, which loads
  // it and applies its keep-awake rule; `codePage` is the one reservation names are stored in.
  Scheduler(ISchedulerHost& host, IScheduledRecording& recording, PowerState& powerState, IPowerActions& power,
            IRecordFolders& folders, ISchedulerClock& calendar, IWallClock& wallClock, IClock& clock,
            SettingsStore& settings, const ICodePage& codePage = AnsiCodePage());

  void LoadSchedule() override;
  void SchedulerTick(const LocalTime& now) override;
  // Any stop through the recording controls ends what counted as a scheduled recording.
  void OnRecordingStopped() override;
  // The window ends the failed recording first and reports it here instead of as a stop.
  void OnRecordingFailed() override;
  void OnClosing() override;
  // Where starts, ends, failures and misses are reported; none by default.
  void SetReporter(ScheduleReporter* reporter) { reporter_ = reporter; }

  // WM_POWERBROADCAST; the answer is always TRUE.
  int OnPowerBroadcast(unsigned event);

  // Seconds from now to the nearest start of an active reservation; 0 when there is none.
  uint32_t SecondsUntilNextStart();

  const ScheduleTable& Table() const { return table_; }
  // Non-zero while a scheduled recording runs.
  uint32_t ScheduledDuration() const { return scheduledDuration_; }

  // A tick that finds more seconds than this passed since the previous one starts only what
  // fell into the last of them.
  static constexpr int64_t kCatchUpSeconds = 60;

 private:
  struct DueStart {
    size_t index;  // table size when nothing is due
    LocalTime at;
    int64_t second;  // civil seconds of `at`
  };
  // The reservation to start for the seconds first … last, each taken at most once per date and
  // start time.
  DueStart TakeDueStart(int64_t first, int64_t last);
  // Remembers that reservation k started (or gave way) at `stamp`, here and in its key.
  void MarkStarted(size_t k, const std::string& stamp);
  // Ends a scheduled recording whose time is up and restores the station; true when it did.
  bool CheckScheduledEnd();
  // The after-recording action; true when one was carried out (the program may be gone).
  bool RunAfterAction();
  // False when the recording did not start.
  bool StartScheduledRecording(size_t index, const LocalTime& at, int64_t startSeconds);
  void EnterStandbyWithWake();
  void ShutDownComputer();
  void OnSuspending();
  void OnResumed();
  // Arms the wake timer before the next start when a wake-up is wanted; true when armed.
  bool ArmWakeBeforeNextStart();
  void KillStandbyTimers();
  // The first tick: the starts missed since the program last ran are reported.
  void ReportMissed(int64_t now);
  // The time the program runs at, kept once a minute.
  void KeepRunningTime(const LocalTime& now, bool always);
  // The scheduled recording has ended: its time up, stopped by hand or by a standby, or (with a
  // `failure`) its file no longer written.
  void ReportEnd(const std::string& failure);

  ISchedulerHost& host_;
  IScheduledRecording& recording_;
  PowerState& powerState_;
  IPowerActions& power_;
  IRecordFolders& folders_;
  ISchedulerClock& calendar_;
  IWallClock& wallClock_;
  IClock& clock_;
  SettingsStore& settings_;
  const ICodePage& codePage_;
  ScheduleTable table_{};
  uint32_t scheduledDuration_ = 0;
  int64_t recordStart_ = 0;  // IWallClock::CalendarSeconds, as the window's recording clock
  bool ticked_ = false;
  int64_t lastTick_ = 0;  // civil seconds of the previous tick
  // Date and start text each reservation was last started (or passed over) at, by this run or,
  // as its key keeps it, by an earlier one.
  std::array<std::string, 16> started_{};
  ScheduleReporter* reporter_ = nullptr;
  std::string recordingName_;  // of the scheduled recording running
  int lastRunMinute_ = -1;
};
