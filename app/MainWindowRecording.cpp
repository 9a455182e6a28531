// Manual recording from the Record button and its menus, the running time on the display, and
// the stop paths every recording shares (the scheduler's included).
#include "app/ButtonSkinTable.h"
#include "app/DisplayTexts.h"
#include "app/MainWindow.h"
#include "app/RecordingRules.h"
#include "resources/resource.h"
#include "resources/skin_ids.h"

void MainWindow::OnRecordButton() {
  display_->ApplyButtonTips();
  if (!DeviceOpen()) return;
  CancelSeek();
  m_saveArmed = 0;
  if (m_playing && parts_.playback) parts_.playback->StopPlayback();
  if (recordingView_) recordingView_->TrackRecordMenu(m_recording ? IDR_STOPRECORDMENU : IDR_RECORDMENU);
}

void MainWindow::OnRecordMenu(int command) {
  if (!recordingView_) return;
  const std::string label = RecordCommandLabel(command);
  if (!StartRecording()) return;
  m_recordLabel = label;
  m_recordLimit = RecordCommandLimit(command);
  if (m_recordLimit == 0) timers_.KillTimer(kTimerRecordLimit);
  else timers_.SetTimer(kTimerRecordLimit, 1000);
}

void MainWindow::OnStopRecordMenu(int command) {
  if (command == ID_STOP_NOW) {
    StopRecording();
    return;
  }
  // The menu may have been opened during a recording that has ended since: a limit then would
  // only keep timer 10 ticking until some later recording.
  if (!m_recording) return;
  // The limit counts from the start of the recording, not from this choice.
  m_recordLimit = RecordCommandLimit(command);
  m_recordLabel = RecordCommandLabel(command);
  timers_.SetTimer(kTimerRecordLimit, 1000);
}

bool MainWindow::StartRecording() {
  if (!DeviceOpen()) return false;
  // A recording still running (a reservation that began while the menu was open) ends through
  // the window's own stop, so the scheduler no longer counts it as its own to end later.
  if (m_recording) StopRecording();
  const LocalTime now = wallClock_.Now();
  const uint16_t kbps = RecordingBitrate(m_mp3Rate);
  return BeginRecording(m_recordFolder + RecordingFileName(m_band, CurrentFrequency(), now), kbps, "");
}

bool MainWindow::BeginRecording(const std::string& path, uint16_t kbps, const std::string& nameText,
                                std::optional<int64_t> startSeconds) {
  if (!device_.StartRecorder(path, kbps)) {
    // The recorder ended whatever ran before it tried: the window shows that nothing records.
    // Unless a recording began while the failure was shown (the box runs the window's timers,
    // so a reservation may have started): that one goes on.
    if (m_recording && !device_.IsRecorderRunning()) StopRecording();
    return false;
  }
  m_recordStart = startSeconds ? *startSeconds : wallClock_.CalendarSeconds();
  m_recording = 1;
  m_elapsedHours = m_elapsedMinutes = m_elapsedSeconds = 0;
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

void MainWindow::StopRecording() {
  if (EndRecording() && parts_.scheduler) parts_.scheduler->OnRecordingStopped();
}

void MainWindow::EndRecordingOnWriteFailure() {
  if (!EndRecording()) return;
  // The after-action comes before the message: an unattended PC must not wait for a click to
  // sleep or shut down. The box pumps the window's messages, and the flag is already clear.
  if (parts_.scheduler) parts_.scheduler->OnRecordingFailed();
  device_.ReportRecorderWriteFailure();
}

bool MainWindow::EndRecording() {
  if (!m_recording) return false;
  m_recording = 0;
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

void MainWindow::CancelRecordLimit() {
  m_recordLabel.clear();
  m_recordLimit = 0;
  timers_.KillTimer(kTimerRecordLimit);
}

void MainWindow::OnRecordLimitTimer() {
  if (m_recordLimit == 0) return;
  if (wallClock_.CalendarSeconds() - m_recordStart > m_recordLimit) m_recordLimit = 0;
  if (m_recordLimit == 0) StopRecording();
}

void MainWindow::RecordingDisplayTick() {
  ++m_blink;
  const display::CellPair cells = display::RecordButtonCells(m_blink);
  view_.SetButtonCells(IDC_RECORD, cells.normal, cells.pushed);
  view_.RedrawButton(IDC_RECORD);
  const int64_t seconds = wallClock_.CalendarSeconds() - m_recordStart;
  // A clock set back during the recording shows zero rather than a wrapped count.
  const uint64_t elapsed = seconds > 0 ? static_cast<uint64_t>(seconds) : 0;
  m_elapsedHours = static_cast<uint8_t>(elapsed / 3600);
  m_elapsedMinutes = static_cast<uint8_t>(elapsed % 3600 / 60);
  m_elapsedSeconds = static_cast<uint8_t>(elapsed % 60);
  if (!recordingView_) return;
  recordingView_->SetTrayPicture((m_blink & 1) ? IDI_RECORDING : IDI_KESTRUNE);
  recordingView_->SetDisplayText(IDC_TEXT_TIME, display::RecordingTimeText(m_recordLabel, elapsed));
}
