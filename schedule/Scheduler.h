#pragma once
// The scheduler of timer reservations and the program's dealings with power management. Runs
// on the main window's thread, once per new wall-clock second (timer 1), over one plan of
// occurrences (schedule/Occurrences.h) and one rule for starting: an occurrence that is not done
// and whose [start, stop) holds now records now, for the rest of its time, whether the tick comes
// at its start, after a start-up, a resume, a clock step, the receiver's return or a capture that
// stopped; the latest start wins, and within a second the lowest reservation. A recording cut
// short (receiver removed, capture lost, standby) goes on into a new file while its time lasts.
// Each occurrence's after-action runs once, after its stop, and not when the next occurrence
// starts within the wake-up lead and two minutes: the program and the PC stay for it.
// Power broadcasts enter through OnPowerBroadcast.

#include <cstdint>
#include <optional>
#include <string>
#include <tuple>

#include "schedule/Occurrences.h"
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
  void OnRecordingStarted(const std::string& file) override;
  void OnClosing() override;
  void OnRecordingFilesDone(const std::vector<std::string>& unfinished) override;
  bool HasActiveReservation() const override;
  void OnReceiverRemoved() override;
  // The next tick starts what is due now that the receiver is back.
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
  uint32_t SecondsUntilNextStart();

  const ScheduleTable& Table() const { return plan_.Table(); }
  const OccurrencePlan& Plan() const { return plan_; }

  // A gap between two ticks longer than this is a resume, a clock step or a held-up window: its
  // log lines say which.
  static constexpr int64_t kCatchUpSeconds = 60;
  // A start made this much after an occurrence's start logs the part before it as missed.
  static constexpr int64_t kLateSeconds = 3;
  // An occurrence whose recording could not start is tried again after this, this often in all.
  static constexpr uint64_t kRetryMs = 10000;
  static constexpr int kStartTries = 3;
  // A capture that ran this long before it stopped counts as the first loss, not one more.
  static constexpr int64_t kSteadyCaptureSeconds = 60;
  // The after-action waits for a next occurrence that starts within the wake-up lead and this.
  static constexpr int64_t kLookAheadSeconds = 120;

 private:
  // The one rule for starting, at the instant `at`; `cause` is why a late start is late.
  void StartDue(const LocalTime& now, int64_t at, MissCause cause);
  // Records occurrence `o` from now; false when the recording did not start.
  bool StartOccurrence(const Occurrence& o, int64_t at, MissCause cause);
  // The after-actions owed by occurrences whose time is over, once each.
  void RunOwedAfterActions(const LocalTime& now, int64_t at);
  // The after-recording action; true when one was carried out (the program may be gone).
  bool RunAfterAction(const LocalTime& now, int64_t at);
  void EnterStandbyWithWake();
  void ShutDownComputer();
  void OnSuspending();
  void OnResumed();
  // Keeps the wake timer armed for the next occurrence while a wake-up is chosen (`force`: armed
  // again even for the same one); true when one is armed.
  bool KeepWakeTimer(const LocalTime& now, int64_t at, bool force);
  // ES_SYSTEM_REQUIRED while a recording runs and from a wake-up until its occurrence started.
  void KeepAwake(int64_t at);
  void KillStandbyTimers();
  void ReportMissed(const std::vector<Occurrence>& missed, MissCause cause);
  // The time the program runs at, kept once a minute.
  void KeepRunningTime(const LocalTime& now, bool always);
  // Windows' task, the reservations' latest starts and the wake timer follow the plan (`force`:
  // even when nothing was taken since the last look).
  void KeepPlan(const LocalTime& now, int64_t at, bool force = false);
  std::string ShownName(size_t k) const {
    return ShownReservationName(plan_.Table()[k].name, static_cast<int>(k));
  }
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
  OccurrencePlan plan_;
  bool ticked_ = false;
  int64_t lastTick_ = 0;     // civil seconds of the previous tick
  uint64_t lastTickMs_ = 0;  // and the monotonic time it came at
  bool resumed_ = false;     // a resume came since the previous tick
  // The occurrence whose recording runs.
  std::optional<Occurrence> recordingOccurrence_;
  // Woken for this occurrence: the PC stays awake until it has started.
  std::optional<Occurrence> wokenFor_;
  // What the wake timer is armed for: reservation, start (civil) and due instant.
  std::optional<std::tuple<size_t, int64_t, int64_t>> wakeArmed_;
  bool holdAwake_ = false;
  bool planChanged_ = false;
  int lastPlanMinute_ = -1;
  std::string lastEnded_;  // shown name of the reservation whose recording ended last
  ScheduleReporter* reporter_ = nullptr;
  StartTaskKeeper* startTask_ = nullptr;
  IPowerPlan* powerPlan_ = nullptr;
  int lastRunMinute_ = -1;
};
