#include "schedule/Scheduler.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "schedule/StartTask.h"
#include "settings/WakeTimers.h"
#include "settings/SettingsStore.h"
#include "settings/TimerSetting.h"

namespace {

constexpr unsigned kStopSettleMs = 200;
constexpr unsigned kResumeSettleMs = 9000;

// "07:00:30"
std::string TimeOfDayText(const LocalTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
  return text;
}

}  // namespace

Scheduler::Scheduler(ISchedulerHost& host, IScheduledRecording& recording, PowerState& powerState,
                     IPowerActions& power, IRecordFolders& folders, ISchedulerClock& calendar,
                     IWallClock& wallClock, IClock& clock, SettingsStore& settings, const ICodePage& codePage)
    : host_(host),
      recording_(recording),
      powerState_(powerState),
      power_(power),
      folders_(folders),
      calendar_(calendar),
      wallClock_(wallClock),
      clock_(clock),
      settings_(settings),
      codePage_(codePage),
      plan_(calendar) {}

void Scheduler::LoadSchedule() {
  plan_.SetTable(::LoadSchedule(settings_));
  const LocalTime now = wallClock_.Now();
  KeepPlan(now, calendar_.NowSeconds(), true);
}

void Scheduler::SetStartTaskKeeper(StartTaskKeeper* keeper) {
  startTask_ = keeper;
  if (startTask_) startTask_->SetReport([this](const std::string& what) { Log(what); });
}

void Scheduler::KeepPlan(const LocalTime& now, int64_t at, bool force) {
  for (size_t k = 0; k < plan_.Table().size(); ++k)
    if (plan_.TakeLastStartChanged(k))
      settings_.WriteValue(TimerKey(static_cast<int>(k) + 1), kLastStartValue, plan_.LastStart(k));
  // The next occurrence changes only when one is taken (started, missed, cut) or the schedule is
  // loaded; once a minute it is looked at all the same (a zone or power setting changed).
  if (!force && !planChanged_ && now.minute == lastPlanMinute_) return;
  planChanged_ = false;
  lastPlanMinute_ = now.minute;
  const std::vector<Occurrence> upcoming = plan_.Upcoming(at, now);
  if (startTask_) startTask_->Update(plan_.Table(), upcoming, now);
  KeepWakeTimer(now, at, false);
}

void Scheduler::SchedulerTick(const LocalTime& now) {
  const int64_t second = CivilSeconds(now);
  const int64_t at = calendar_.NowSeconds();
  const uint64_t nowMs = clock_.NowMs();
  // What a start made late, and the starts missed, are put down to the gap since the previous
  // tick: the program not running (the first tick looks back to when it last ran), a sleep, a
  // clock set forward, or a window held up.
  MissCause cause = MissCause::Busy;
  int64_t after = second;
  if (!ticked_) {
    cause = MissCause::NotRunning;
    LocalTime last;
    if (ParseStamp(settings_.ReadOptionalValue(kGeneralKey, kLastRunningValue), last)) after = CivilSeconds(last);
  } else {
    after = lastTick_;
    const int64_t steadySeconds = static_cast<int64_t>((nowMs - lastTickMs_) / 1000);
    if (resumed_) cause = MissCause::Asleep;
    else if (second - lastTick_ - steadySeconds > kCatchUpSeconds) cause = MissCause::ClockChanged;
  }
  ticked_ = true;
  lastTick_ = second;
  lastTickMs_ = nowMs;
  resumed_ = false;

  const std::vector<Occurrence> missed = plan_.TakeMissed(after, at, now);
  planChanged_ = planChanged_ || !missed.empty();
  ReportMissed(missed, cause);
  KeepRunningTime(now, false);
  // A recording whose time is up ends first, so that an occurrence due in the same second
  // takes over before the ended one's after-action is weighed.
  recording_.EndIfDue();
  StartDue(now, at, cause);
  KeepPlan(now, at);
  KeepAwake(at);
  plan_.Prune(at);
  RunOwedAfterActions(now, at);
}

void Scheduler::StartDue(const LocalTime& now, int64_t at, MissCause cause) {
  const std::optional<Occurrence> due = plan_.Due(at, now);
  if (!due || (recordingOccurrence_ && *recordingOccurrence_ == *due && recording_.IsRecording())) return;
  const OccurrenceState state = plan_.State(*due);
  if (host_.ReceiverAway()) {
    // Told once; it records when the receiver is back before its stop.
    if (state == OccurrenceState::Cut) return;
    planChanged_ = true;
    plan_.Move(*due, OccurrenceState::Cut, at);
    plan_.OweAfterAction(*due, true);
    if (reporter_) reporter_->Failed(host_.RecordFolder(), ShownName(due->index), "receiver not connected", now);
    return;
  }
  if (!plan_.MayTry(*due, clock_.NowMs())) return;
  planChanged_ = true;
  StartOccurrence(*due, at, cause);
}

bool Scheduler::StartOccurrence(const Occurrence& o, int64_t at, MissCause cause) {
  const ScheduleEntry& entry = plan_.Table()[o.index];
  const std::string shown = ShownName(o.index);
  const OccurrenceState state = plan_.State(o);
  const bool resumed = plan_.Recorded(o);
  const int64_t since = resumed ? plan_.Since(o) : o.startAt;
  // What kept it from recording until now.
  const std::string lateWhy = plan_.Tries(o) > 0             ? "the recording could not start"
                              : state == OccurrenceState::Cut ? "receiver not connected"
                                                              : MissCauseText(cause);
  // Of the same second, the others give way: they do not record after this one either.
  plan_.TakeYielding(o);
  if (recording_.IsRecording()) {
    recording_.StopRecording(RecordingEndReason::HandedOver, shown);
    clock_.SleepMs(kStopSettleMs);
  }
  host_.StopPlayback();
  host_.TuneForReservation(entry.band, entry.frequency);

  const std::string name = SafeFolderName(entry.name, codePage_);
  const std::string root = host_.RecordFolder();
  const bool folderReady = name.empty() || folders_.EnsureFolder(ScheduledFolder(root, name));
  ReservationStart start;
  start.index = static_cast<int>(o.index);
  start.name = entry.name;
  // A resumed occurrence writes a file of the same name, which the recorder numbers "_2" on.
  start.file = ScheduledFilePath(root, name, folderReady, DateText(o.start), entry.start);
  start.kbps = entry.bitrate;
  // The stop is an instant, counted from now on the calendar (the tune took its time).
  start.remainingSeconds = std::max<int64_t>(o.stopAt - calendar_.NowSeconds(), 1);
  const LocalTime now = wallClock_.Now();
  if (!recording_.StartScheduledRecording(start)) {
    std::string why = recording_.StartFailure();
    if (why.empty()) why = "the recording could not start";
    plan_.Move(o, OccurrenceState::Cut, resumed ? since : at);
    plan_.OweAfterAction(o, true);
    plan_.CountTry(o, clock_.NowMs() + kRetryMs);
    if (plan_.Tries(o) >= kStartTries) plan_.Move(o, OccurrenceState::Failed, at);
    else why += "; trying again";
    // Nothing records, so nothing will end and restore the station: the radio goes back now
    // (another try tunes it again).
    if (!recording_.IsRecording()) host_.RestoreSavedStation();
    if (reporter_) reporter_->Failed(root, shown, why, now);
    return false;
  }
  plan_.Move(o, OccurrenceState::Recording, at);
  plan_.OweAfterAction(o, true);
  recordingOccurrence_ = o;
  const int64_t late = at - since;
  if (reporter_) {
    if (resumed) {
      reporter_->Resumed(root, shown, recording_.RecordingPath(), late, now);
    } else {
      if (late >= kLateSeconds) reporter_->MissedPart(root, shown, o.start, late, lateWhy, now);
      reporter_->Started(root, shown, recording_.RecordingPath(), now);
    }
  }
  return true;
}

void Scheduler::OnRecordingEnded(const RecordingEnd& end) {
  if (reporter_) reporter_->Ended(host_.RecordFolder(), end, wallClock_.Now());
  if (end.kind != RecordingKind::Reservation || end.afterEnd) return;
  planChanged_ = true;
  lastEnded_ = ShownReservationName(end.name, end.reservation);
  const std::optional<Occurrence> o = std::exchange(recordingOccurrence_, std::nullopt);
  if (!o || static_cast<int>(o->index) != end.reservation) return;
  const int64_t at = calendar_.NowSeconds();
  switch (end.reason) {
    case RecordingEndReason::TimeUp:
      plan_.Move(*o, OccurrenceState::Done, at);
      host_.RestoreSavedStation();
      return;
    case RecordingEndReason::WriteFailure:
      // Its file cannot be written: another would fail alike. Its after-action waits for its stop.
      plan_.Move(*o, OccurrenceState::Failed, at);
      host_.RestoreSavedStation();
      return;
    case RecordingEndReason::CaptureStopped:
      // The capture is started again at once; one that keeps stopping soon after its start
      // gives up, and the station goes back.
      plan_.Move(*o, OccurrenceState::Cut, at);
      plan_.CountTry(*o, clock_.NowMs(), end.seconds >= kSteadyCaptureSeconds);
      if (plan_.Tries(*o) >= kStartTries) {
        plan_.Move(*o, OccurrenceState::Failed, at);
        host_.RestoreSavedStation();
        if (reporter_)
          reporter_->Failed(host_.RecordFolder(), lastEnded_, "the receiver's sound stopped coming again and again",
                            wallClock_.Now());
      }
      return;
    case RecordingEndReason::ReceiverRemoved:
    case RecordingEndReason::Standby:
      // Cut: it goes on into a new file when it can, while its time lasts.
      plan_.Move(*o, OccurrenceState::Cut, at);
      return;
    case RecordingEndReason::ByHand:
      // The user's: no after-action, and what is tuned now is the user's station.
      plan_.Move(*o, OccurrenceState::Done, at);
      plan_.OweAfterAction(*o, false);
      host_.ForgetSavedStation();
      return;
    case RecordingEndReason::HandedOver:
      // The one that took over keeps the station of before and owes its own after-action.
      plan_.Move(*o, OccurrenceState::Done, at);
      plan_.OweAfterAction(*o, false);
      return;
    case RecordingEndReason::ProgramClosed:
    case RecordingEndReason::EndOfSession:
      plan_.Move(*o, OccurrenceState::Done, at);
      plan_.OweAfterAction(*o, false);
      return;
  }
}

void Scheduler::OnRecordingStarted(const std::string& file) {
  if (reporter_) reporter_->StartedByHand(host_.RecordFolder(), file, wallClock_.Now());
}

void Scheduler::OnClosing() { KeepRunningTime(wallClock_.Now(), true); }

void Scheduler::OnRecordingFilesDone(const std::vector<std::string>& unfinished) {
  if (!reporter_) return;
  for (const std::string& file : unfinished) reporter_->Unfinished(host_.RecordFolder(), file, wallClock_.Now());
  reporter_->Flush();
}

bool Scheduler::HasActiveReservation() const {
  return std::any_of(Table().begin(), Table().end(), [](const ScheduleEntry& e) { return e.active; });
}

void Scheduler::OnReceiverRemoved() {
  Log("Receiver removed: Kestrune waits in the tray for it");
  if (reporter_) reporter_->Notice("Receiver removed. Kestrune waits in the tray; reservations record when it is back.");
}

void Scheduler::OnReceiverArrived() { Log("Receiver back"); }

void Scheduler::KeepRunningTime(const LocalTime& now, bool always) {
  if (!always && now.minute == lastRunMinute_) return;
  lastRunMinute_ = now.minute;
  settings_.WriteValue(kGeneralKey, kLastRunningValue, StampText(now));
}

void Scheduler::Log(const std::string& what) {
  if (reporter_) reporter_->PowerAction(host_.RecordFolder(), what, wallClock_.Now());
}

void Scheduler::ReportMissed(const std::vector<Occurrence>& missed, MissCause cause) {
  if (!reporter_ || missed.empty()) return;
  std::vector<std::pair<std::string, LocalTime>> named;
  for (const Occurrence& o : missed) named.emplace_back(ShownName(o.index), o.start);
  reporter_->Missed(host_.RecordFolder(), named, cause, wallClock_.Now());
}

uint32_t Scheduler::SecondsUntilNextStart() {
  const int64_t at = calendar_.NowSeconds();
  const std::optional<Occurrence> next = plan_.Next(at, wallClock_.Now());
  return next ? static_cast<uint32_t>(std::min<int64_t>(next->startAt - at, UINT32_MAX)) : 0;
}

void Scheduler::RunOwedAfterActions(const LocalTime& now, int64_t at) {
  const std::vector<Occurrence> owed = plan_.TakeAfterActions(at);
  if (owed.empty()) return;
  lastEnded_ = ShownName(owed.back().index);
  // One cut short whose time ran out without it: the radio goes back to the user's station.
  bool restore = false;
  for (const Occurrence& o : owed)
    if (plan_.State(o) == OccurrenceState::Cut) restore = plan_.Move(o, OccurrenceState::Done, at) || restore;
  if (restore && !recording_.IsRecording()) host_.RestoreSavedStation();
  RunAfterAction(now, at);
}

bool Scheduler::RunAfterAction(const LocalTime& now, int64_t at) {
  const AfterRecording action = powerState_.Settings().afterRecording;
  const char* what = action == AfterRecording::Shutdown  ? "Shutdown"
                     : action == AfterRecording::Standby ? "Standby"
                     : action == AfterRecording::Close   ? "Close"
                                                         : nullptr;
  if (!what) return false;
  // Windows' task and the wake timer first: after a close or a shutdown only they are left to
  // start the next reservation.
  KeepPlan(now, at, true);
  // The next occurrence, if it records now or starts before the PC could be woken and the
  // program started for it, keeps both as they are.
  // One due now that waits for the receiver or for another try counts as well: its own
  // after-action comes at its stop.
  std::optional<Occurrence> ahead = plan_.Due(at, now);
  if (!ahead) {
    const std::optional<Occurrence> next = plan_.Next(at, now);
    const int64_t window = int64_t{WakeLead(powerState_.Settings().wakeUp)} + kLookAheadSeconds;
    if (next && next->startAt - at <= window) ahead = next;
  }
  if (ahead || recording_.IsRecording()) {
    std::string line = what;
    line += " skipped: ";
    if (ahead) line.append("\"").append(ShownName(ahead->index)).append("\" starts at ").append(TimeOfDayText(ahead->start));
    else line += "a recording runs";
    Log(line);
    return false;
  }
  const std::string after = " after \"" + lastEnded_ + "\"";
  switch (action) {
    case AfterRecording::Shutdown:
      Log("Shutting the PC down" + after);
      ShutDownComputer();
      return true;
    case AfterRecording::Standby:
      Log("Standby" + after);
      host_.CloseReceiver();
      EnterStandbyWithWake();
      return true;
    case AfterRecording::Close:
      Log("Closing Kestrune" + after);
      host_.CloseWindow();
      return true;
    case AfterRecording::None:
      break;
  }
  return false;
}

bool Scheduler::KeepWakeTimer(const LocalTime& now, int64_t at, bool force) {
  const uint32_t lead = WakeLead(powerState_.Settings().wakeUp);
  const std::optional<Occurrence> next = lead ? plan_.Next(at, now) : std::nullopt;
  if (!next) {
    if (wakeArmed_) power_.CloseWakeTimer();
    wakeArmed_.reset();
    return false;
  }
  const int64_t seconds = next->startAt - at;
  const int64_t due = at + WakeTimerWait(static_cast<uint32_t>(std::min<int64_t>(seconds, UINT32_MAX)), lead);
  // Once placed, the due time stays until the next occurrence changes: a start within the lead
  // would otherwise move it on with every tick.
  if (!force && wakeArmed_ && std::get<0>(*wakeArmed_) == next->index &&
      std::get<1>(*wakeArmed_) == next->StartCivil())
    return true;
  power_.ArmWakeTimer(due);
  wakeArmed_ = std::make_tuple(next->index, next->StartCivil(), due);
  const LocalTime wake = CivilTime(CivilSeconds(now) + (due - at));
  const std::string note = powerPlan_ ? WakeTimerLogNote(powerPlan_->ReadWakeTimers()) : std::string();
  Log("Wake timer armed for \"" + ShownName(next->index) + "\" at " + ShortDateTime(wake) + note);
  return true;
}

void Scheduler::KeepAwake(int64_t at) {
  if (wokenFor_ && (plan_.State(*wokenFor_) != OccurrenceState::Pending || at >= wokenFor_->stopAt)) wokenFor_.reset();
  const bool hold = recording_.IsRecording() || wokenFor_.has_value();
  if (hold == holdAwake_) return;
  holdAwake_ = hold;
  powerState_.SetHoldAwake(hold);
  powerState_.ApplyKeepAwake();
}

void Scheduler::KillStandbyTimers() {
  // Nothing of the window's work runs while the computer sleeps.
  host_.StopWorkTimers();
}

void Scheduler::EnterStandbyWithWake() {
  host_.StopSound();
  KillStandbyTimers();
  if (KeepWakeTimer(wallClock_.Now(), calendar_.NowSeconds(), true)) {
    power_.RequestWakeupLatency();
    power_.Beep();
  }
  powerState_.SetSuspended(true);
  holdAwake_ = false;
  powerState_.SetHoldAwake(false);
  power_.SetExecutionState(kExecutionContinuous);
  if (power_.Suspend()) return;
  Log("Windows refused the standby");
  // Refused (sleep disabled, a policy, no support): no resume will come to wake the window, so
  // come back now instead of ignoring every timer from here on.
  OnResumed();
}

void Scheduler::ShutDownComputer() {
  host_.PrepareShutdown();
  clock_.SleepMs(kStopSettleMs);
  if (power_.ShutDown()) return;
  Log("Windows refused the shutdown");
  // Refused (no privilege, a policy): the program runs on, so the receiver must too, or every
  // later reservation records a receiver that was switched off; and it must hear of a receiver
  // plugged in again.
  host_.ShutdownRefused();
  host_.Resume();
}

int Scheduler::OnPowerBroadcast(unsigned event) {
  switch (event) {
    case kPowerQuerySuspend:
    case kPowerSuspend:
      if (!powerState_.Suspended()) OnSuspending();
      break;
    case kPowerResumeSuspend:
    case kPowerResumeAutomatic:
      if (powerState_.Suspended()) {
        clock_.SleepMs(kResumeSettleMs);
        OnResumed();
      }
      break;
    default:
      break;
  }
  return 1;
}

void Scheduler::OnSuspending() {
  powerState_.SetSuspended(true);
  // The wake timer first: Windows may sleep as soon as this message returns, and the next
  // reservation must not be lost to a recording that took long to stop.
  const bool armed = KeepWakeTimer(wallClock_.Now(), calendar_.NowSeconds(), true);
  Log("Standby: Windows is going to sleep");
  host_.SaveRadioState();
  recording_.StopRecording(RecordingEndReason::Standby);
  host_.EnterStandby();
  power_.Beep();
  power_.RequestWakeupLatency();
  if (armed) KillStandbyTimers();
}

void Scheduler::OnResumed() {
  powerState_.SetSuspended(false);
  // The next tick looks at the starts the sleep went over.
  resumed_ = true;
  planChanged_ = true;
  power_.Beep();
  host_.Resume();
  // Woken for an occurrence (by the timer, or at its time): awake until it has started. The
  // timer stays armed for the next one.
  const int64_t at = calendar_.NowSeconds();
  const LocalTime now = wallClock_.Now();
  std::optional<Occurrence> woken = plan_.Due(at, now);
  if (!woken || plan_.State(*woken) == OccurrenceState::Recording) woken = plan_.Next(at, now);
  const int64_t window = int64_t{WakeLead(powerState_.Settings().wakeUp)} + kLookAheadSeconds;
  if (woken && woken->startAt - at <= window) wokenFor_ = woken;
  KeepAwake(at);
}
