#include "app/RecordingController.h"

#include "app/ButtonSkinTable.h"
#include "app/DisplayTexts.h"
#include "app/LiveSound.h"
#include "app/Radio.h"
#include "app/RecordingRules.h"
#include "audio/AudioPreparation.h"
#include "resources/resource.h"
#include "resources/skin_ids.h"
#include "schedule/ScheduleReport.h"

std::string recording_messages::LostAudio(uint64_t seconds) {
  return "Recording ended: " + std::to_string(seconds) + " s of audio were lost because the disk did not keep up.";
}

namespace {

// Whole seconds of dropped audio, a part of one counted as one: a loss is never reported as none.
uint64_t LostSeconds(uint64_t droppedBytes) {
  return (droppedBytes + kCaptureBytesPerSecond - 1) / kCaptureBytesPerSecond;
}

// The one message for what the recorder says of a recording, the worst first.
std::string FailureText(const RecorderStatus& status, RecordingEndReason reason) {
  if (status.writeFailed) return recording_messages::kCannotWrite;
  if (reason == RecordingEndReason::CaptureStopped) return recording_messages::kCaptureStopped;
  if (status.droppedBytes) return recording_messages::LostAudio(LostSeconds(status.droppedBytes));
  return {};
}

}  // namespace

RecordingController::RecordingController(IRecorder* recorder, const LiveSound& sound, Radio& radio, IClock& clock,
                                         IWallClock& wallClock, ITimerHost& timers, IMainView& view,
                                         IRecordingView* recordingView, ISchedulerControl* scheduler,
                                         IFailureBox* failures, IFailureLine* line)
    : recorder_(recorder),
      sound_(sound),
      radio_(radio),
      clock_(clock),
      wallClock_(wallClock),
      timers_(timers),
      view_(view),
      recordingView_(recordingView),
      scheduler_(scheduler),
      failures_(failures),
      line_(line) {}

void RecordingController::ClearRunState() {
  recording_ = false;
  blink_ = 0;
  recordLabel_.clear();
  recordLimit_ = 0;
}

int64_t RecordingController::ElapsedSeconds() const {
  const uint64_t now = clock_.NowMs();
  // To the nearest second: the display is redrawn once per wall-clock second, whose phase has
  // nothing to do with the recording's start, and should lag or lead it by half a second at most.
  return now > startMs_ ? static_cast<int64_t>((now - startMs_ + 500) / 1000) : 0;
}

std::string RecordingController::RecordingPath() const { return Recorder() ? Recorder()->RecordingPath() : std::string(); }

void RecordingController::ShowRecordMenu() {
  if (recordingView_) recordingView_->TrackRecordMenu(recording_ ? IDR_STOPRECORDMENU : IDR_RECORDMENU);
}

void RecordingController::OnRecordMenu(int command) {
  if (!recordingView_) return;
  const std::string label = RecordCommandLabel(command);
  if (!StartRecording()) return;
  recordLabel_ = label;
  recordLimit_ = RecordCommandLimit(command);
  if (recordLimit_ == 0) {
    timers_.KillTimer(kTimerRecordLimit);
  } else {
    kind_ = RecordingKind::Timed;
    timers_.SetTimer(kTimerRecordLimit, 1000);
  }
}

void RecordingController::OnStopRecordMenu(int command) {
  if (command == ID_STOP_NOW) {
    StopRecording(RecordingEndReason::ByHand);
    return;
  }
  // The menu may have been opened during a recording that has ended since: a limit then would
  // only keep timer 10 ticking until some later recording.
  if (!recording_) return;
  // The limit counts from the start of the recording, not from this choice. A reservation's
  // recording given a limit ends at whichever comes first.
  recordLimit_ = RecordCommandLimit(command);
  recordLabel_ = RecordCommandLabel(command);
  if (kind_ == RecordingKind::Manual) kind_ = RecordingKind::Timed;
  timers_.SetTimer(kTimerRecordLimit, 1000);
}

bool RecordingController::StartRecording() {
  if (!sound_.ReceiverOpen()) return false;
  // A recording still running (a reservation that began while the menu was open) ends first,
  // so that the scheduler no longer counts it as its own to end later.
  StopRecording(RecordingEndReason::ByHand);
  const LocalTime now = wallClock_.Now();
  const uint16_t kbps = RecordingBitrate(mp3Rate_);
  if (!BeginRecording(recordFolder_ + RecordingFileName(radio_.Band(), radio_.Frequency(), now), kbps, "")) {
    // The box's loop runs the window's timers: a reservation may start under it, and finds the
    // session idle.
    TellFailure(startFailure_, true);
    return false;
  }
  kind_ = RecordingKind::Manual;
  if (scheduler_) scheduler_->OnRecordingStarted(RecordingPath());
  return true;
}

void RecordingController::TellFailure(const std::string& text, bool byHand) {
  if (text.empty()) return;
  if (byHand && failures_) failures_->Show(text);
  else if (line_) line_->ShowFailure(text);
}

bool RecordingController::StartScheduledRecording(const ReservationStart& start) {
  if (!BeginRecording(start.file, start.kbps, start.name)) {
    TellFailure("Could not record \"" + ShownReservationName(start.name, start.index) + "\": " + startFailure_, false);
    return false;
  }
  kind_ = RecordingKind::Reservation;
  reservation_ = start.index;
  name_ = start.name;
  deadlineMs_ = clock_.NowMs() + static_cast<uint64_t>(start.remainingSeconds > 0 ? start.remainingSeconds : 0) * 1000;
  return true;
}

bool RecordingController::BeginRecording(const std::string& path, uint16_t kbps, const std::string& nameText) {
  IRecorder* recorder = Recorder();
  if (!recorder) {
    startFailure_ = "Nothing can record in this program.";
    return false;
  }
  if (!recorder->StartRecorder(path, kbps)) {
    startFailure_ = recorder->LastFailure();
    if (startFailure_.empty()) startFailure_ = "The recorder did not start.";
    return false;
  }
  startFailure_.clear();
  const uint64_t now = clock_.NowMs();
  startMs_ = now;
  lastBlockMs_ = now;
  lastBlocks_ = 0;
  serial_ = recorder->Serial();
  kind_ = RecordingKind::Manual;
  reservation_ = -1;
  name_.clear();
  deadlineMs_ = 0;
  kbps_ = kbps;
  recording_ = true;
  if (recordingView_) {
    recordingView_->SetDisplayText(IDC_TEXT_TIME, ElapsedText(0, 0, 0));
    recordingView_->SetDisplayText(IDC_TEXT_RATE, BitrateText(kbps));
    recordingView_->ShowDisplayText(IDC_TEXT_FILE);
    recordingView_->SetDisplayText(IDC_TEXT_FILE, recorder->RecordingPath());
    recordingView_->SetDisplayText(IDC_TEXT_LABEL, nameText);
    recordingView_->RepaintDisplay();
  }
  return true;
}

void RecordingController::StopRecording(RecordingEndReason reason, const std::string& handedTo) {
  End(reason, handedTo);
}

bool RecordingController::End(RecordingEndReason reason, const std::string& handedTo) {
  if (!recording_) return false;
  RecordingEnd end;
  end.kind = kind_;
  end.reservation = kind_ == RecordingKind::Reservation ? reservation_ : -1;
  end.name = name_;
  end.file = RecordingPath();
  end.seconds = ElapsedSeconds();
  end.reason = reason;
  end.handedTo = handedTo;
  // The session is idle before anything is told: the scheduler's after-action may run the
  // window's messages, which must find nothing recording.
  recording_ = false;
  CancelRecordLimit();
  const RecorderStatus status = Recorder() ? Recorder()->StopRecorder() : RecorderStatus{};
  end.lostSeconds = LostSeconds(status.droppedBytes);
  end.failure = FailureText(status, reason);
  ShowIdle();
  // Its writer may still find a failure; that one is told when the writer is through.
  if (end.failure != recording_messages::kCannotWrite) {
    // Bounded: a writer whose outcome never comes (the process ends first) is forgotten.
    if (finishing_.size() >= kMaxFinishing) finishing_.erase(finishing_.begin());
    finishing_[serial_] = end;
  }
  // The line comes first: an after-action that closes the program or puts the PC to sleep leaves
  // the window in its state.
  TellFailure(end.failure, false);
  if (scheduler_) scheduler_->OnRecordingEnded(end);
  return true;
}

void RecordingController::OnRecorderFinished(const RecordingOutcome& outcome) {
  const auto it = finishing_.find(outcome.serial);
  if (it == finishing_.end()) return;  // its failure was told at its end
  RecordingEnd end = std::move(it->second);
  finishing_.erase(it);
  if (!outcome.status.writeFailed && !outcome.cutFailed) return;
  end.failure = recording_messages::kCannotWrite;
  end.afterEnd = true;
  TellFailure(end.failure, false);
  if (scheduler_) scheduler_->OnRecordingEnded(end);
}

void RecordingController::ShowIdle() {
  if (recordingView_) {
    for (int id : {IDC_TEXT_TIME, IDC_TEXT_RATE, IDC_TEXT_FILE, IDC_TEXT_LABEL}) recordingView_->SetDisplayText(id, "");
    recordingView_->SetTrayPicture(IDI_KESTRUNE);
    recordingView_->RepaintDisplay();
  }
  const display::CellPair idle = display::RecordButtonCells(0);
  view_.SetButtonCells(IDC_RECORD, idle.normal, idle.pushed);
  view_.RedrawButton(IDC_RECORD);
}

void RecordingController::CancelRecordLimit() {
  recordLabel_.clear();
  recordLimit_ = 0;
  timers_.KillTimer(kTimerRecordLimit);
}

void RecordingController::OnRecordLimitTimer() {
  if (recordLimit_ == 0 || !recording_) return;
  if (clock_.NowMs() - startMs_ > uint64_t{recordLimit_} * 1000) End(RecordingEndReason::TimeUp);
}

bool RecordingController::EndIfDue() {
  if (!recording_ || kind_ != RecordingKind::Reservation || clock_.NowMs() <= deadlineMs_) return false;
  return End(RecordingEndReason::TimeUp);
}

bool RecordingController::Heartbeat(bool showTime) {
  if (!recording_) return false;
  const RecorderStatus status = Recorder() ? Recorder()->Status() : RecorderStatus{};
  const uint64_t now = clock_.NowMs();
  if (status.writeFailed) return End(RecordingEndReason::WriteFailure);
  if (status.blocksReceived != lastBlocks_) {
    lastBlocks_ = status.blocksReceived;
    lastBlockMs_ = now;
  } else if (now - lastBlockMs_ >= kCaptureSilenceMs) {
    return End(RecordingEndReason::CaptureStopped);
  }
  if (showTime) RecordingDisplayTick();
  return false;
}

void RecordingController::RecordingDisplayTick() {
  ++blink_;
  const display::CellPair cells = display::RecordButtonCells(blink_);
  view_.SetButtonCells(IDC_RECORD, cells.normal, cells.pushed);
  view_.RedrawButton(IDC_RECORD);
  if (!recordingView_) return;
  recordingView_->SetTrayPicture((blink_ & 1) ? IDI_RECORDING : IDI_KESTRUNE);
  recordingView_->SetDisplayText(IDC_TEXT_TIME,
                                 display::RecordingTimeText(recordLabel_, static_cast<uint64_t>(ElapsedSeconds())));
}
