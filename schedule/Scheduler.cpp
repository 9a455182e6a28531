#include "schedule/Scheduler.h"

#include <algorithm>

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
}

void Scheduler::SchedulerTick(const LocalTime& now) {
  const int64_t second = CivilSeconds(now);
  const bool firstTick = !ticked_;
  // Seconds that passed without a tick are looked at too, the last minute of them at most (also
  // before the first tick: a program started late under load still makes the recording). A
  // clock set back looks at the current second only.
  int64_t first = second - kCatchUpSeconds;
  if (ticked_) first = second > lastTick_ ? std::max(lastTick_ + 1, first) : second;
  ticked_ = true;
  lastTick_ = second;

  const DueStart due = TakeDueStart(first, second);
  if (firstTick) ReportMissed(second);
  KeepRunningTime(now, false);

  // Stopped through the recording controls: no longer a scheduled recording.
  if (scheduledDuration_ != 0 && !recording_.IsRecording()) scheduledDuration_ = 0;
  const bool ended = CheckScheduledEnd();
  if (due.index < table_.size()) {
    const bool started =
        StartScheduledRecording(due.index, due.at, wallClock_.CalendarSeconds() - (second - due.second));
    // The reservation due in the same second took over: sleeping or closing now would lose it.
    // When it failed to start, the ended one's action is still owed, unless a recording begun
    // by hand while the failure was shown runs now.
    if (started || !ended || recording_.IsRecording()) return;
  } else if (!ended) {
    return;
  }
  RunAfterAction();
}

void Scheduler::OnRecordingStopped() {
  if (scheduledDuration_ != 0) ReportEnd("");
  scheduledDuration_ = 0;
}

void Scheduler::OnClosing() { KeepRunningTime(wallClock_.Now(), true); }

void Scheduler::KeepRunningTime(const LocalTime& now, bool always) {
  if (!always && now.minute == lastRunMinute_) return;
  lastRunMinute_ = now.minute;
  settings_.WriteValue(kGeneralKey, kLastRunningValue, StampText(now));
}

void Scheduler::ReportMissed(int64_t now) {
  LocalTime last;
  if (!reporter_ || !ParseStamp(settings_.ReadOptionalValue(kGeneralKey, kLastRunningValue), last)) return;
  std::vector<std::pair<std::string, LocalTime>> missed;
  for (const MissedStart& m : MissedStarts(table_, started_, CivilSeconds(last), now))
    missed.emplace_back(table_[m.index].name, m.at);
  reporter_->Missed(host_.RecordFolder(), missed, wallClock_.Now());
}

void Scheduler::ReportEnd(const std::string& failure) {
  if (!reporter_) return;
  const int64_t seconds = wallClock_.CalendarSeconds() - recordStart_;
  const std::string file = recording_.RecordingPath();
  if (failure.empty()) reporter_->Ended(host_.RecordFolder(), recordingName_, file, seconds, wallClock_.Now());
  else reporter_->Failed(host_.RecordFolder(), recordingName_, failure + ": " + file, wallClock_.Now());
}

void Scheduler::OnRecordingFailed() {
  if (scheduledDuration_ == 0) return;
  ReportEnd("the MP3 file could not be written (what was recorded is kept)");
  scheduledDuration_ = 0;
  recording_.StopRecording();  // nothing when the caller has stopped it
  host_.RestoreSavedStation();
  RunAfterAction();
}

void Scheduler::MarkStarted(size_t k, const std::string& stamp) {
  if (started_[k] == stamp) return;
  started_[k] = stamp;
  settings_.WriteValue(TimerKey(static_cast<int>(k) + 1), kLastStartValue, stamp);
}

Scheduler::DueStart Scheduler::TakeDueStart(int64_t first, int64_t last) {
  // The latest second with a due reservation wins: it is the one that would be running had every
  // second had its tick. Within one second the lowest-numbered reservation records.
  for (int64_t s = last; s >= first; --s) {
    const LocalTime at = CivilTime(s);
    const std::string stamp = DateText(at) + TimeText(at);
    size_t chosen = table_.size();
    for (size_t k = 0; k < table_.size(); ++k) {
      const ScheduleEntry& entry = table_[k];
      if (!IsDueAt(entry, at) || started_[k] == stamp) continue;
      // Caught up at or after its stop time: nothing of it is left to record, and starting it
      // would only run its after-action.
      if (last - s >= int64_t{entry.duration}) continue;
      if (chosen == table_.size()) chosen = k;
      // Passed over or started, it does not come back in a repeated hour of the same date nor
      // in a program started again.
      MarkStarted(k, stamp);
    }
    if (chosen == table_.size()) continue;
    for (int64_t earlier = s - 1; earlier >= first; --earlier) {
      const LocalTime e = CivilTime(earlier);
      for (size_t k = 0; k < table_.size(); ++k)
        if (IsDueAt(table_[k], e)) MarkStarted(k, DateText(e) + TimeText(e));
    }
    if (table_[chosen].weekly) table_[chosen].date = DateText(at);
    return {chosen, at, s};
  }
  return {table_.size(), {}, 0};
}

bool Scheduler::StartScheduledRecording(size_t index, const LocalTime& at, int64_t startSeconds) {
  const ScheduleEntry& entry = table_[index];
  scheduledDuration_ = 0;
  recording_.CancelRecordLimit();
  if (recording_.IsRecording()) {
    recording_.StopRecording();
    clock_.SleepMs(kStopSettleMs);
  }
  host_.StopPlayback();
  host_.TuneForReservation(entry.band, entry.frequency);

  const std::string name = SafeFolderName(entry.name, codePage_);
  const std::string root = host_.RecordFolder();
  const bool folderReady = name.empty() || folders_.EnsureFolder(ScheduledFolder(root, name));
  const std::string file = ScheduledFilePath(root, name, folderReady, DateText(at), entry.start);
  if (!recording_.StartScheduledRecording(file, entry.bitrate, entry.name, startSeconds)) {
    // Nothing records, so nothing will end and restore the station: the radio goes back now.
    // A recording started while the failure was shown keeps the station it is recording.
    if (!recording_.IsRecording()) host_.RestoreSavedStation();
    if (reporter_) reporter_->Failed(root, entry.name, "the recording could not start", wallClock_.Now());
    return false;
  }
  recordStart_ = startSeconds;
  scheduledDuration_ = entry.duration;
  recordingName_ = entry.name;
  if (reporter_) reporter_->Started(root, entry.name, recording_.RecordingPath(), wallClock_.Now());
  return true;
}

bool Scheduler::CheckScheduledEnd() {
  if (scheduledDuration_ == 0) return false;
  if (wallClock_.CalendarSeconds() - recordStart_ > int64_t{scheduledDuration_}) scheduledDuration_ = 0;
  if (scheduledDuration_ != 0 || !recording_.IsRecording()) return false;

  ReportEnd("");
  recording_.StopRecording();
  host_.RestoreSavedStation();
  return true;
}

bool Scheduler::RunAfterAction() {
  switch (powerState_.Settings().afterRecording) {
    case AfterRecording::Shutdown:
      ShutDownComputer();
      return true;
    case AfterRecording::Standby:
      host_.CloseReceiver();
      EnterStandbyWithWake();
      return true;
    case AfterRecording::Close:
      host_.CloseWindow();
      return true;
    case AfterRecording::None:
      break;
  }
  return false;
}

uint32_t Scheduler::SecondsUntilNextStart() {
  const LocalTime today = wallClock_.Now();
  const int64_t now = calendar_.NowSeconds();
  int64_t nearest = -1;
  auto consider = [&](LocalTime t, const std::string& start) {
    t.hour = Field(start, 0, 2);
    t.minute = Field(start, 2, 2);
    t.second = Field(start, 4, 2);
    const int64_t at = calendar_.LocalToSeconds(t);
    if (at >= now && (nearest < 0 || at < nearest)) nearest = at;
  };
  for (const ScheduleEntry& e : table_) {
    // Inactive also when its start or date is no real time or date: nothing to wake for.
    if (!e.active) continue;
    if (e.weekly) {
      for (int day = 0; day < 7 && day < static_cast<int>(e.week.size()); ++day) {
        if (e.week[day] != '1') continue;
        LocalTime midnight = today;
        midnight.hour = midnight.minute = midnight.second = 0;
        consider(CivilTime(CivilSeconds(midnight) + int64_t{(day - today.weekday + 7) % 7} * 86400), e.start);
      }
    } else {
      LocalTime date;
      date.year = Field(e.date, 0, 4);
      date.month = Field(e.date, 4, 2);
      date.day = Field(e.date, 6, 2);
      consider(date, e.start);
    }
  }
  return nearest < 0 ? 0 : static_cast<uint32_t>(std::min<int64_t>(nearest - now, UINT32_MAX));
}

bool Scheduler::ArmWakeBeforeNextStart() {
  const uint32_t seconds = SecondsUntilNextStart();
  const uint32_t lead = WakeLead(powerState_.Settings().wakeUp);
  if (seconds == 0 || lead == 0) return false;
  power_.ArmWakeTimer(WakeTimerWait(seconds, lead));
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
  // Refused (sleep disabled, a policy, no support): no resume will come to wake the window, so
  // come back now instead of ignoring every timer from here on.
  OnResumed();
}

void Scheduler::ShutDownComputer() {
  host_.PrepareShutdown();
  clock_.SleepMs(kStopSettleMs);
  if (power_.ShutDown()) return;
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
  host_.SaveRadioState();
  recording_.StopRecording();
  scheduledDuration_ = 0;
  host_.EnterStandby();
  power_.Beep();
  power_.RequestWakeupLatency();
  if (ArmWakeBeforeNextStart()) KillStandbyTimers();
}

void Scheduler::OnResumed() {
  powerState_.SetSuspended(false);
  power_.Beep();
  power_.CloseWakeTimer();
  host_.Resume();
}
