// Start-up, bring-up of the receiver in its three situations, device arrival and removal,
// the heartbeat and the two ways out.
#include <algorithm>
#include <cctype>

#include "app/MainWindow.h"
#include "resources/resource.h"
#include "schedule/ScheduleReport.h"
#include "settings/SettingsStore.h"

namespace {

constexpr unsigned kResumeRetries = 15;
// The live graph's plain success (S_OK); S_FALSE and failures are retried after a resume.
constexpr int kLiveSuccess = 0;

}  // namespace

bool IsReceiverInterfacePath(const std::string& path) {
  if (path.size() < 2) return false;
  std::string upper = path;
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return upper.find("VID_10C4", 1) != std::string::npos && upper.find("PID_818A", 1) != std::string::npos;
}

void MainWindow::ClearRunState() {
  radio_.ClearRunState();
  recording_.ClearRunState();
  power_.SetSuspended(false);
  seeking_ = false;
  continuousTune_ = false;
  saveArmed_ = false;
  deviceLost_ = false;
  lastSecond_ = 0xFF;  // so that the first heartbeat acts at once
}

void MainWindow::DeferredStart() {
  timers_.KillTimer(kTimerDeferredStart);
  if (startPending_) {
    startPending_ = false;
    BringUpReceiver(BringUpSituation::StartUp);
  }
  timers_.SetTimer(kTimerHeartbeat, 300);
  // Last: a box runs the window's commands and timers, which need a receiver brought up and the
  // heartbeat running. A start in the tray (at log-on, or Windows' task for a reservation) has
  // nobody to click it: its failure goes on the line.
  TellOpenFailure(!startedInTray_);
}

void MainWindow::TellOpenFailure(bool byHand) { recording_.TellFailure(sound_.TakeOpenFailure(), byHand); }

bool MainWindow::OpenAndPowerUp() {
  device_.SetRegion(radio_.Region());
  device_.SetBand(radio_.Band());
  if (device_.OpenDevice(view_.Handle()) != 1) return false;
  deviceLost_ = false;
  device_.SendRegionConfig(radio_.Region());
  device_.PowerUp();
  device_.SendBandCompletion();
  return true;
}

int MainWindow::RunOrStopLive() { return Playing() ? sound_.Stop() : sound_.Run(); }

void MainWindow::BringUpReceiver(BringUpSituation situation) {
  switch (situation) {
    case BringUpSituation::StartUp:
      if (!OpenAndPowerUp()) {
        // Missing from the start: away, as if pulled out, so that a reservation due meanwhile
        // says so and starts when it arrives. Only its handle missing (another program holds
        // it), its sound can still be recorded.
        receiverAway_ = !sound_.AudioWithoutReceiver();
        return;
      }
      clock_.SleepMs(500);
      Retune();
      sound_.Build();
      sound_.Run();
      SetLiveVolume(radio_.LiveVolume());
      SetLiveVolume(radio_.Volume());
      view_.SetVolumeSlider(radio_.Volume());
      Retune();
      display_->InvalidateReadout();
      return;
    case BringUpSituation::Arrival:
      StopPlayback();
      // An open receiver is playing (perhaps recording) the station in use, and a recording that
      // runs while the receiver was closed (scheduled while another program held it) has set the
      // window to its station: the stored one would throw either away.
      if (!DeviceOpen() && !recording_.IsRecording()) LoadRadioState();
      if (!OpenAndPowerUp()) return;
      Retune();
      clock_.SleepMs(500);
      sound_.Build();
      sound_.Stop();
      sound_.Run();
      SetLiveVolume(radio_.Volume());
      view_.SetVolumeSlider(radio_.Volume());
      Retune();
      display_->InvalidateReadout();
      ShowAfterBringUp();
      reprobeAtMs_ = 0;
      if (receiverAway_) {
        // The HID interface comes first; the audio function a moment later. Nothing starts
        // (and nothing is told) until it is there, or until it has been waited for.
        if (sound_.AudioMissing()) {
          audioWaitUntilMs_ = clock_.NowMs() + kAudioWaitMs;
          return;
        }
        ReceiverBack();
      }
      TellOpenFailure(false);
      return;
    case BringUpSituation::Resume:
      ResumeReceiver();
      TellOpenFailure(false);
      return;
  }
}

void MainWindow::ResumeReceiver() {
  int liveResult = kLiveSuccess;
  if (DeviceOpen()) {
    // The receiver survived the standby: only its sound needs to come back.
    liveResult = RunOrStopLive();
    SetLiveVolume(radio_.LiveVolume());
  } else {
    LoadRadioState();
    if (OpenAndPowerUp()) {
      Retune();
      sound_.Build();
      RunOrStopLive();
      SetLiveVolume(radio_.LiveVolume());
      view_.SetVolumeSlider(radio_.Volume());
      Retune();
      liveResult = RunOrStopLive();
    } else {
      clock_.SleepMs(1000);
    }
  }
  // After a standby the graph may answer "not yet" (or fail) for a few seconds.
  for (unsigned i = 0; i < kResumeRetries && liveResult != kLiveSuccess; ++i) {
    clock_.SleepMs(1000);
    liveResult = RunOrStopLive();
  }
  timers_.SetTimer(kTimerHeartbeat, 300);
  ShowAfterBringUp();
  display_->InvalidateReadout();
}

void MainWindow::ShowAfterBringUp() {
  if (!hiddenInTray_) view_.ShowMainWindow(ShowCommand::Show);
}

bool MainWindow::OnDeviceArrival(const std::string& interfacePath) {
  if (IsReceiverInterfacePath(interfacePath)) BringUpReceiver(BringUpSituation::Arrival);
  return true;
}

bool MainWindow::OnDeviceRemoveComplete(uintptr_t handle) {
  if (handle != 0 && DeviceOpen() && handle == device_.NativeHandle()) {
    deviceLost_ = true;
    // A program that is there for the night's reservations (one is ON, or it was started in
    // the tray at log-on) waits for the receiver; otherwise the receiver's going ends it.
    const bool stay = startedInTray_ || (scheduler_ && scheduler_->HasActiveReservation());
    if (stay) WaitForReceiver();
    else Close(RecordingEndReason::ReceiverRemoved);
  }
  return true;
}

bool MainWindow::OnDeviceQueryRemove(uintptr_t handle) {
  if (handle == 0 || !DeviceOpen() || handle != device_.NativeHandle()) return true;
  OnDeviceRemoveComplete(handle);
  if (receiverAway_) reprobeAtMs_ = clock_.NowMs() + kReprobeMs;
  return true;
}

void MainWindow::ReceiverBack() {
  audioWaitUntilMs_ = 0;
  receiverAway_ = false;
  if (scheduler_) scheduler_->OnReceiverArrived();
}

void MainWindow::WatchReceiver() {
  if (reprobeAtMs_ && clock_.NowMs() >= reprobeAtMs_) {
    // Still there after its removal was asked for: another program refused it.
    reprobeAtMs_ = 0;
    BringUpReceiver(BringUpSituation::Arrival);
  }
  if (!audioWaitUntilMs_ || !receiverAway_) return;
  if (!DeviceOpen()) {
    audioWaitUntilMs_ = 0;
    return;
  }
  const bool timeUp = clock_.NowMs() >= audioWaitUntilMs_;
  if (!sound_.PrepareAgain() && !timeUp) return;
  // Its sound can be heard now; without it (waited for long enough) a reservation's start
  // says what is missing.
  sound_.Build();
  sound_.Stop();
  sound_.Run();
  SetLiveVolume(radio_.LiveVolume());
  ReceiverBack();
  TellOpenFailure(false);
}

void MainWindow::WaitForReceiver() {
  receiverAway_ = true;
  audioWaitUntilMs_ = 0;
  recording_.StopRecording(RecordingEndReason::ReceiverRemoved);
  if (Playing()) playback_->StopPlayback();
  SaveRadioState();
  device_.ForgetDevice();
  CancelSeek();
  saveArmed_ = false;
  view_.ShowMainWindow(ShowCommand::Hide);
  display_->InvalidateReadout();
  if (scheduler_) scheduler_->OnReceiverRemoved();
}

void MainWindow::Close(RecordingEndReason why) {
  StopWorkTimers();
  // The recording ends first, told with its reason, and its writer finishes the file on its own
  // thread; the process waits for it at its end.
  recording_.StopRecording(why);
  if (scheduler_) scheduler_->OnClosing();
  if (Playing()) playback_->EndForClose();
  if (!deviceLost_) {
    StopLive();
    device_.CloseDevice();
  }
  SaveRadioState();
  view_.UnregisterDeviceNotifications();
  view_.DestroyMainWindow();
}

void MainWindow::Exit() {
  recording_.StopRecording(RecordingEndReason::ProgramClosed);
  if (scheduler_) scheduler_->OnClosing();
  SaveRadioState();
  view_.UnregisterDeviceNotifications();
  if (!deviceLost_) device_.CloseDevice();
  view_.DestroyMainWindow();
}

void MainWindow::FinishRecordingFiles() {
  IRecorder* recorder = recording_.Recorder();
  const std::vector<std::string> unfinished =
      recorder ? recorder->WaitForWriters(kWriterWaitMs) : std::vector<std::string>{};
  // The fallback log first, written now: the record folder's log may sit on the drive that
  // held the writers up, and its queue behind them.
  if (exitLog_)
    for (const std::string& file : unfinished) exitLog_->WriteToFallbackNow(UnfinishedFileLine(file, wallClock_.Now()));
  // The record folder's log too, where it can be written.
  if (scheduler_) scheduler_->OnRecordingFilesDone(unfinished);
  if (exitLog_) exitLog_->Flush(kLogWaitMs);
}

void MainWindow::OnEndSession(bool ending) {
  // A hidden window (in the tray) is asked too; the answer to a cancelled log-off is nothing.
  if (ending) Close(RecordingEndReason::EndOfSession);
}

void MainWindow::OnHeartbeat() {
  const LocalTime now = wallClock_.Now();
  if (now.second == lastSecond_) return;
  lastSecond_ = static_cast<uint8_t>(now.second);
  // A recording that failed ends here; its after-action may have closed the window or put the
  // PC to sleep: this second is done. A reservation due in it is caught up by the next tick.
  if (recording_.Heartbeat(DeviceOpen())) return;
  WatchReceiver();
  power_.ApplyKeepAwake();
  if (scheduler_) scheduler_->SchedulerTick(now);
}

// ---- Radio state in the settings ----

void MainWindow::LoadRadioState() {
  const RadioState stored = radio_.Load();
  recording_.SetMp3Rate(stored.mp3Rate);
  recording_.SetRecordFolder(stored.recordFolder);
  display_->InvalidateReadout();
}

// ---- Standby and shutdown, as the scheduler asks for them ----

void MainWindow::CloseReceiver() {
  CancelSeek();
  SaveRadioState();
  device_.CloseDevice();
}

void MainWindow::StopWorkTimers() {
  for (unsigned id : kWorkTimers) timers_.KillTimer(id);
}

void MainWindow::EnterStandby() {
  StopLive();
  device_.CloseDevice();
  view_.ShowMainWindow(ShowCommand::Hide);
  CancelSeek();
  saveArmed_ = false;
}

void MainWindow::PrepareShutdown() {
  // A forced shutdown ends the process: the file of the recording that just ended is finished
  // first, or its backlog would be lost.
  FinishRecordingFiles();
  SaveRadioState();
  view_.UnregisterDeviceNotifications();
  device_.CloseDevice();
}
