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

class IPowerPlan;
class SettingsStore;
class StartTaskKeeper;

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
  // Every end is logged with its reason; a reservation's recording whose time is up or that
  // failed has its station restored and its after-action run (at the end of the tick when its
  // time is up, so that a reservation due in the same second can take over).
  void OnRecordingEnded(const RecordingEnd& end) override;
  void OnClosing() override;
  void OnRecordingFilesDone(const std::vector<std::string>& unfinished) override;
  bool HasActiveReservation() const override;
  void OnReceiverRemoved() override;
  // A reservation that found the receiver away and whose stop has not come starts now.
  void OnReceiverArrived() override;
  // Where starts, ends, failures, misses and power actions are reported; none by default.
  void SetReporter(ScheduleReporter* reporter) { reporter_ = reporter; }
  // Told the schedule whenever it is loaded and whenever a start was taken or passed over, so
  // that Windows' task for the next start follows; what it cannot do goes to the log. None by
  // default.
  void SetStartTaskKeeper(StartTaskKeeper* keeper);
  // Asked, when a wake timer is armed, whether the power plan lets it wake the PC; the log says
  // so when it does not. None by default.
  void SetPowerPlan(IPowerPlan* plan) { powerPlan_ = plan; }

  // WM_POWERBROADCAST; the answer is always TRUE.
  int OnPowerBroadcast(unsigned event);

  // Seconds from now to the nearest start of an active reservation; 0 when there is none.
  uint32_t SecondsUntilNextStart() { return NextStart().seconds; }

  const ScheduleTable& Table() const { return table_; }

  // A tick that finds more seconds than this passed since the previous one starts only what
  // fell into the last of them.
  static constexpr int64_t kCatchUpSeconds = 60;
  // How far back a gap of a resume or a clock step is looked at for a start whose stop has not
  // come: the longest reservation.
  static constexpr int64_t kLongestRecordingSeconds = 86400;

 private:
  struct DueStart {
    size_t index;  // table size when nothing is due
    LocalTime at;
    int64_t second;  // civil seconds of `at`
  };
  struct Upcoming {
    uint32_t seconds = 0;  // 0 when nothing is ahead
    size_t index = 0;
    LocalTime at;
  };
  // The reservation to start for the seconds first … last, each taken at most once per date and
  // start time.
  DueStart TakeDueStart(int64_t first, int64_t last);
  // Remembers that reservation k started (or gave way) at `stamp`, here and in its key.
  void MarkStarted(size_t k, const std::string& stamp);
  // The after-recording action; true when one was carried out (the program may be gone).
  bool RunAfterAction();
  // False when the recording did not start.
  // `nowSecond` is the tick's civil second; the recording counts from `lateSeconds` before it.
  bool StartScheduledRecording(size_t index, const LocalTime& at, int64_t nowSecond, int64_t lateSeconds);
  // Seconds from now (`nowSecond`, civil) to reservation `entry`'s stop for a start at `at`, by
  // the time-zone rules.
  int64_t SecondsToStop(const ScheduleEntry& entry, const LocalTime& at, int64_t nowSecond);
  Upcoming NextStart();
  void EnterStandbyWithWake();
  void ShutDownComputer();
  void OnSuspending();
  void OnResumed();
  // Arms the wake timer before the next start when a wake-up is wanted; true when armed.
  bool ArmWakeBeforeNextStart();
  void KillStandbyTimers();
  // The first tick: the starts missed since the program last ran are reported.
  void ReportMissed(int64_t now);
  // The starts a gap between two ticks skipped, but the one starting now, reported as missed.
  void ReportSkipped(const std::vector<MissedStart>& skipped, const DueStart& due, MissCause cause);
  // The time the program runs at, kept once a minute.
  void KeepRunningTime(const LocalTime& now, bool always);
  void KeepStartTask(const LocalTime& now);
  std::string ShownName(size_t k) const { return ShownReservationName(table_[k].name, static_cast<int>(k)); }
  void Log(const std::string& what);

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
  bool ticked_ = false;
  int64_t lastTick_ = 0;     // civil seconds of the previous tick
  uint64_t lastTickMs_ = 0;  // and the monotonic time it came at
  bool resumed_ = false;     // a resume came since the previous tick
  // The reservation that fell due while the receiver was away (table size when none), and when.
  size_t waitingForReceiver_ = std::tuple_size_v<ScheduleTable>;
  LocalTime waitingSince_;
  // Inside a tick, an after-action that a time-up end owes waits for the tick's start decision.
  bool inTick_ = false;
  bool afterActionOwed_ = false;
  std::string lastEnded_;  // shown name of the reservation whose recording ended last
  // Date and start text each reservation was last started (or passed over) at, by this run or,
  // as its key keeps it, by an earlier one.
  std::array<std::string, 16> started_{};
  ScheduleReporter* reporter_ = nullptr;
  StartTaskKeeper* startTask_ = nullptr;
  IPowerPlan* powerPlan_ = nullptr;
  int lastRunMinute_ = -1;
};
