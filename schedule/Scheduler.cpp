#include "schedule/Scheduler.h"

#include <algorithm>
#include <utility>

#include "schedule/StartTask.h"
#include "settings/WakeTimers.h"
#include "settings/SettingsStore.h"
#include "settings/TimerSetting.h"

namespace {

constexpr unsigned kStopSettleMs = 200;
constexpr unsigned kResumeSettleMs = 9000;

int Field(const std::string& text, size_t at, size_t length) { return StrToIntLike(text.substr(at, length)); }

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
      codePage_(codePage) {}

void Scheduler::LoadSchedule() {
  table_ = ::LoadSchedule(settings_);
  // A start this run has made stays known even where its key could not keep it; one made by an
  // earlier run comes from the key.
  for (size_t k = 0; k < table_.size(); ++k)
    if (started_[k].empty()) started_[k] = table_[k].lastStart;
  KeepStartTask(wallClock_.Now());
}

void Scheduler::SetStartTaskKeeper(StartTaskKeeper* keeper) {
  startTask_ = keeper;
  if (startTask_) startTask_->SetReport([this](const std::string& what) { Log(what); });
}

void Scheduler::KeepStartTask(const LocalTime& now) {
  if (startTask_) startTask_->Update(table_, now);
}

void Scheduler::SchedulerTick(const LocalTime& now) {
  const int64_t second = CivilSeconds(now);
  const uint64_t nowMs = clock_.NowMs();
  const bool firstTick = !ticked_;
  // Seconds that passed without a tick are looked at too, the last minute of them at most (also
  // before the first tick: a program started late under load still makes the recording). A
  // clock set back looks at the current second only. A longer gap is a resume, a clock set
  // forward or a window held up: its starts are reported as missed, and after a resume or a
  // clock step the latest whose stop has not come starts now.
  int64_t first = second - kCatchUpSeconds;
  bool gap = false;
  MissCause cause = MissCause::Busy;
  if (ticked_) {
    first = second > lastTick_ ? std::max(lastTick_ + 1, first) : second;
    if (second - lastTick_ > kCatchUpSeconds) {
      gap = true;
      const int64_t steadySeconds = static_cast<int64_t>((nowMs - lastTickMs_) / 1000);
      if (resumed_) cause = MissCause::Asleep;
      else if (second - lastTick_ - steadySeconds > kCatchUpSeconds) cause = MissCause::ClockChanged;
      if (cause != MissCause::Busy) first = std::max(lastTick_ + 1, second - kLongestRecordingSeconds);
    }
  }
  const std::vector<MissedStart> skipped = gap ? MissedStarts(table_, started_, lastTick_, second)
                                               : std::vector<MissedStart>{};
  ticked_ = true;
  lastTick_ = second;
  lastTickMs_ = nowMs;
  resumed_ = false;

  const DueStart due = TakeDueStart(first, second);
  if (firstTick) ReportMissed(second);
  ReportSkipped(skipped, due, cause);
  KeepRunningTime(now, false);

  inTick_ = true;
  afterActionOwed_ = false;
  recording_.EndIfDue();
  bool owed = std::exchange(afterActionOwed_, false);
  inTick_ = false;
  if (due.index < table_.size()) {
    // A start caught up within the minute counts from its start time; one found over a gap (a
    // clock step, a resume) records from now: the time before was not recorded.
    const int64_t late = second - due.second <= kCatchUpSeconds ? second - due.second : 0;
    bool started = false;
    if (host_.ReceiverAway()) {
      // Told now, and started when the receiver comes back before its stop.
      if (reporter_) reporter_->Failed(host_.RecordFolder(), ShownName(due.index), "receiver not connected", now);
      waitingForReceiver_ = due.index;
      waitingSince_ = due.at;
    } else {
      started = StartScheduledRecording(due.index, due.at, second, late);
    }
    // The reservation due in the same second took over: sleeping or closing now would lose it.
    // When it failed to start, the ended one's action is still owed, unless a recording begun
    // by hand while the failure was shown runs now.
    if (started || recording_.IsRecording()) owed = false;
  }
  // The next start moved on: Windows' task follows before an after-action may end the program.
  if (due.index < table_.size() || !skipped.empty()) KeepStartTask(now);
  if (owed) RunAfterAction();
}

void Scheduler::OnRecordingEnded(const RecordingEnd& end) {
  if (reporter_) reporter_->Ended(host_.RecordFolder(), end, wallClock_.Now());
  if (end.kind != RecordingKind::Reservation || end.afterEnd) return;
  lastEnded_ = ShownReservationName(end.name, end.reservation);
  switch (end.reason) {
    case RecordingEndReason::TimeUp:
    case RecordingEndReason::WriteFailure:
    case RecordingEndReason::CaptureStopped:
      host_.RestoreSavedStation();
      if (inTick_) afterActionOwed_ = true;
      else RunAfterAction();
      return;
    default:
      // By hand, handed over, or the program, the session or the PC ending: nothing more.
      return;
  }
}

void Scheduler::OnClosing() { KeepRunningTime(wallClock_.Now(), true); }

void Scheduler::OnRecordingFilesDone(const std::vector<std::string>& unfinished) {
  for (const std::string& file : unfinished) Log("Kestrune ended before this file was completely written: " + file);
  if (reporter_) reporter_->Flush();
}

bool Scheduler::HasActiveReservation() const {
  return std::any_of(table_.begin(), table_.end(), [](const ScheduleEntry& e) { return e.active; });
}

void Scheduler::OnReceiverRemoved() {
  Log("Receiver removed: Kestrune waits in the tray for it");
  if (reporter_) reporter_->Notice("Receiver removed. Kestrune waits in the tray; reservations record when it is back.");
}

void Scheduler::OnReceiverArrived() {
  const size_t k = std::exchange(waitingForReceiver_, table_.size());
  if (k >= table_.size() || recording_.IsRecording()) return;
  const int64_t now = CivilSeconds(wallClock_.Now());
  if (now - CivilSeconds(waitingSince_) >= int64_t{table_[k].duration}) return;
  Log("Receiver back: starting \"" + ShownName(k) + "\"");
  StartScheduledRecording(k, waitingSince_, now, 0);
}

void Scheduler::KeepRunningTime(const LocalTime& now, bool always) {
  if (!always && now.minute == lastRunMinute_) return;
  lastRunMinute_ = now.minute;
  settings_.WriteValue(kGeneralKey, kLastRunningValue, StampText(now));
}

void Scheduler::Log(const std::string& what) {
  if (reporter_) reporter_->PowerAction(host_.RecordFolder(), what, wallClock_.Now());
}

void Scheduler::ReportMissed(int64_t now) {
  LocalTime last;
  if (!reporter_ || !ParseStamp(settings_.ReadOptionalValue(kGeneralKey, kLastRunningValue), last)) return;
  std::vector<std::pair<std::string, LocalTime>> missed;
  for (const MissedStart& m : MissedStarts(table_, started_, CivilSeconds(last), now))
    missed.emplace_back(ShownName(m.index), m.at);
  reporter_->Missed(host_.RecordFolder(), missed, MissCause::NotRunning, wallClock_.Now());
}

void Scheduler::ReportSkipped(const std::vector<MissedStart>& skipped, const DueStart& due, MissCause cause) {
  std::vector<std::pair<std::string, LocalTime>> missed;
  for (const MissedStart& m : skipped) {
    if (m.index == due.index && CivilSeconds(m.at) == due.second) continue;
    // Not started later either: a skipped start stays skipped.
    MarkStarted(m.index, StampText(m.at));
    missed.emplace_back(ShownName(m.index), m.at);
  }
  if (reporter_) reporter_->Missed(host_.RecordFolder(), missed, cause, wallClock_.Now());
}

void Scheduler::MarkStarted(size_t k, const std::string& stamp) {
  if (started_[k] == stamp) return;
  started_[k] = stamp;
  settings_.WriteValue(TimerKey(static_cast<int>(k) + 1), kLastStartValue, stamp);
}

Scheduler::DueStart Scheduler::TakeDueStart(int64_t first, int64_t last) {
  const std::vector<MissedStart> due = MissedStarts(table_, started_, first - 1, last);
  // The latest second with a reservation whose stop has not come wins: it is the one that would
  // be running had every second had its tick. Within one second the lowest-numbered records.
  DueStart chosen{table_.size(), {}, 0};
  for (auto it = due.rbegin(); it != due.rend(); ++it) {
    const int64_t s = CivilSeconds(it->at);
    if (chosen.index < table_.size() && s < chosen.second) break;
    // Caught up at or after its stop time: nothing of it is left to record, and starting it
    // would only run its after-action.
    if (last - s >= int64_t{table_[it->index].duration}) continue;
    chosen = {it->index, it->at, s};
  }
  // Passed over or started, it does not come back in a repeated hour of the same date nor in a
  // program started again.
  for (const MissedStart& m : due) MarkStarted(m.index, StampText(m.at));
  if (chosen.index < table_.size() && table_[chosen.index].weekly) table_[chosen.index].date = DateText(chosen.at);
  return chosen;
}

int64_t Scheduler::SecondsToStop(const ScheduleEntry& entry, const LocalTime& at, int64_t nowSecond) {
  // The stop is a wall-clock time: across a daylight-saving change the recording lasts until
  // the clock shows it, an hour more or less than the plain count.
  const int64_t stopSecond = CivilSeconds(at) + entry.duration;
  const int64_t plain = std::max<int64_t>(stopSecond - nowSecond, 1);
  const int64_t left = calendar_.LocalToSeconds(CivilTime(stopSecond)) - calendar_.NowSeconds();
  // A calendar that cannot tell (mktime's -1) or tells more than an hour's change: the plain count.
  if (left <= 0 || left > plain + 3600 || left < plain - 3600) return plain;
  return left;
}

bool Scheduler::StartScheduledRecording(size_t index, const LocalTime& at, int64_t nowSecond, int64_t lateSeconds) {
  const ScheduleEntry& entry = table_[index];
  const std::string shown = ShownName(index);
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
  start.index = static_cast<int>(index);
  start.name = entry.name;
  start.file = ScheduledFilePath(root, name, folderReady, DateText(at), entry.start);
  start.kbps = entry.bitrate;
  start.lateSeconds = lateSeconds;
  start.remainingSeconds = SecondsToStop(entry, at, nowSecond);
  if (!recording_.StartScheduledRecording(start)) {
    // Nothing records, so nothing will end and restore the station: the radio goes back now.
    // A recording started while the failure was shown keeps the station it is recording.
    if (!recording_.IsRecording()) host_.RestoreSavedStation();
    if (reporter_) reporter_->Failed(root, shown, "the recording could not start", wallClock_.Now());
    return false;
  }
  if (reporter_) reporter_->Started(root, shown, recording_.RecordingPath(), wallClock_.Now());
  return true;
}

bool Scheduler::RunAfterAction() {
  const std::string after = " after \"" + lastEnded_ + "\"";
  switch (powerState_.Settings().afterRecording) {
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

Scheduler::Upcoming Scheduler::NextStart() {
  const LocalTime today = wallClock_.Now();
  const int64_t now = calendar_.NowSeconds();
  int64_t nearest = -1;
  Upcoming next;
  auto consider = [&](size_t k, LocalTime t, const std::string& start) {
    t.hour = Field(start, 0, 2);
    t.minute = Field(start, 2, 2);
    t.second = Field(start, 4, 2);
    const int64_t at = calendar_.LocalToSeconds(t);
    if (at < now || (nearest >= 0 && at >= nearest)) return;
    nearest = at;
    next.index = k;
    next.at = t;
  };
  for (size_t k = 0; k < table_.size(); ++k) {
    const ScheduleEntry& e = table_[k];
    // Inactive also when its start or date is no real time or date: nothing to wake for.
    if (!e.active) continue;
    if (e.weekly) {
      for (int day = 0; day < 7 && day < static_cast<int>(e.week.size()); ++day) {
        if (e.week[day] != '1') continue;
        LocalTime midnight = today;
        midnight.hour = midnight.minute = midnight.second = 0;
        consider(k, CivilTime(CivilSeconds(midnight) + int64_t{(day - today.weekday + 7) % 7} * 86400), e.start);
      }
    } else {
      LocalTime date;
      date.year = Field(e.date, 0, 4);
      date.month = Field(e.date, 4, 2);
      date.day = Field(e.date, 6, 2);
      consider(k, date, e.start);
    }
  }
  if (nearest >= 0) next.seconds = static_cast<uint32_t>(std::min<int64_t>(nearest - now, UINT32_MAX));
  return next;
}

bool Scheduler::ArmWakeBeforeNextStart() {
  const Upcoming next = NextStart();
  const uint32_t lead = WakeLead(powerState_.Settings().wakeUp);
  if (next.seconds == 0 || lead == 0) return false;
  const uint32_t wait = WakeTimerWait(next.seconds, lead);
  power_.ArmWakeTimer(wait);
  const LocalTime wake = CivilTime(CivilSeconds(wallClock_.Now()) + wait);
  const std::string note = powerPlan_ ? WakeTimerLogNote(powerPlan_->ReadWakeTimers()) : std::string();
  Log("Wake timer armed for " + std::string("\"") + ShownName(next.index) + "\" at " + ShortDateTime(wake) + note);
  return true;
}

void Scheduler::KillStandbyTimers() {
  // Nothing of the window's work runs while the computer sleeps.
  host_.StopWorkTimers();
}

void Scheduler::EnterStandbyWithWake() {
  host_.StopSound();
  KillStandbyTimers();
  if (ArmWakeBeforeNextStart()) {
    power_.RequestWakeupLatency();
    power_.Beep();
  }
  powerState_.SetSuspended(true);
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
  const bool armed = ArmWakeBeforeNextStart();
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
  power_.Beep();
  power_.CloseWakeTimer();
  host_.Resume();
}
