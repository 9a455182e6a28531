#include "app/RecordingController.h"

#include "app/ButtonSkinTable.h"
#include "app/DisplayTexts.h"
#include "app/Radio.h"
#include "app/RecordingRules.h"
#include "resources/resource.h"
#include "resources/skin_ids.h"

RecordingController::RecordingController(CMyKestrune& device, Radio& radio, IWallClock& wallClock,
                                         ITimerHost& timers, IMainView& view)
    : device_(device), radio_(radio), wallClock_(wallClock), timers_(timers), view_(view) {}

void RecordingController::ClearRunState() {
  recording_ = false;
  blink_ = 0;
  recordLabel_.clear();
  recordLimit_ = 0;
}

void RecordingController::ShowRecordMenu() {
  if (recordingView_) recordingView_->TrackRecordMenu(recording_ ? IDR_STOPRECORDMENU : IDR_RECORDMENU);
}

void RecordingController::OnRecordMenu(int command) {
  if (!recordingView_) return;
  const std::string label = RecordCommandLabel(command);
  if (!StartRecording()) return;
  recordLabel_ = label;
  recordLimit_ = RecordCommandLimit(command);
  if (recordLimit_ == 0) timers_.KillTimer(kTimerRecordLimit);
  else timers_.SetTimer(kTimerRecordLimit, 1000);
}

void RecordingController::OnStopRecordMenu(int command) {
  if (command == ID_STOP_NOW) {
    StopRecording();
    return;
  }
  // The menu may have been opened during a recording that has ended since: a limit then would
  // only keep timer 10 ticking until some later recording.
  if (!recording_) return;
  // The limit counts from the start of the recording, not from this choice.
  recordLimit_ = RecordCommandLimit(command);
  recordLabel_ = RecordCommandLabel(command);
  timers_.SetTimer(kTimerRecordLimit, 1000);
}

bool RecordingController::StartRecording() {
  if (!device_.IsOpen()) return false;
  // A recording still running (a reservation that began while the menu was open) ends through
  // the window's own stop, so the scheduler no longer counts it as its own to end later.
  if (recording_) StopRecording();
  const LocalTime now = wallClock_.Now();
  const uint16_t kbps = RecordingBitrate(mp3Rate_);
  return BeginRecording(recordFolder_ + RecordingFileName(radio_.Band(), radio_.Frequency(), now), kbps, "");
}

bool RecordingController::BeginRecording(const std::string& path, uint16_t kbps, const std::string& nameText,
                                         std::optional<int64_t> startSeconds) {
  if (!device_.StartRecorder(path, kbps)) {
    // The recorder ended whatever ran before it tried: the window shows that nothing records.
    // Unless a recording began while the failure was shown (the box runs the window's timers,
    // so a reservation may have started): that one goes on.
    if (recording_ && !device_.IsRecorderRunning()) StopRecording();
    return false;
  }
  recordStart_ = startSeconds ? *startSeconds : wallClock_.CalendarSeconds();
  kbps_ = kbps;
  recording_ = true;
  if (recordingView_) {
    recordingView_->SetDisplayText(IDC_TEXT_TIME, ElapsedText(0, 0, 0));
    recordingView_->SetDisplayText(IDC_TEXT_RATE, BitrateText(kbps));
    recordingView_->ShowDisplayText(IDC_TEXT_FILE);
    recordingView_->SetDisplayText(IDC_TEXT_FILE, device_.RecorderPath());
    recordingView_->SetDisplayText(IDC_TEXT_LABEL, nameText);
    recordingView_->RepaintDisplay();
  }
  return true;
}

void RecordingController::StopRecording() {
  if (EndRecording() && scheduler_) scheduler_->OnRecordingStopped();
}

void RecordingController::EndRecordingOnWriteFailure() {
  if (!EndRecording()) return;
  // The after-action comes before the message: an unattended PC must not wait for a click to
  // sleep or shut down. The box pumps the window's messages, and the flag is already clear.
  if (scheduler_) scheduler_->OnRecordingFailed();
}

bool RecordingController::EndRecording() {
  if (!recording_) return false;
  recording_ = false;
  timers_.KillTimer(kTimerRecordLimit);
  device_.StopRecorder();
  if (recordingView_) {
    for (int id : {IDC_TEXT_TIME, IDC_TEXT_RATE, IDC_TEXT_FILE, IDC_TEXT_LABEL}) recordingView_->SetDisplayText(id, "");
    recordingView_->SetTrayPicture(IDI_KESTRUNE);
    recordingView_->RepaintDisplay();
  }
  const display::CellPair idle = display::RecordButtonCells(0);
  view_.SetButtonCells(IDC_RECORD, idle.normal, idle.pushed);
  view_.RedrawButton(IDC_RECORD);
  return true;
}

void RecordingController::CancelRecordLimit() {
  recordLabel_.clear();
  recordLimit_ = 0;
  timers_.KillTimer(kTimerRecordLimit);
}

void RecordingController::OnRecordLimitTimer() {
  if (recordLimit_ == 0) return;
  if (wallClock_.CalendarSeconds() - recordStart_ > recordLimit_) recordLimit_ = 0;
  if (recordLimit_ == 0) StopRecording();
}

void RecordingController::RecordingDisplayTick() {
  ++blink_;
  const display::CellPair cells = display::RecordButtonCells(blink_);
  view_.SetButtonCells(IDC_RECORD, cells.normal, cells.pushed);
  view_.RedrawButton(IDC_RECORD);
  const int64_t seconds = wallClock_.CalendarSeconds() - recordStart_;
  // A clock set back during the recording shows zero rather than a wrapped count.
  const uint64_t elapsed = seconds > 0 ? static_cast<uint64_t>(seconds) : 0;
  if (!recordingView_) return;
  recordingView_->SetTrayPicture((blink_ & 1) ? IDI_RECORDING : IDI_KESTRUNE);
  recordingView_->SetDisplayText(IDC_TEXT_TIME, display::RecordingTimeText(recordLabel_, elapsed));
}
