// Start-up, bring-up of the receiver in its three situations, device arrival and removal,
// the heartbeat and the two ways out.
#include <algorithm>
#include <cctype>

#include "app/MainWindow.h"
#include "audio/LiveAudio.h"
#include "resources/resource.h"
#include "settings/RadioState.h"
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
  m_playing = 0;
  m_muted = 0;
  m_userMutedLive = 0;
  m_seeking = 0;
  m_continuousTune = 0;
  m_saveArmed = 0;
  m_suspended = 0;
  m_recording = 0;
  m_deviceLost = 0;
  m_signal = 0;
  m_blink = 0;
  m_recordLabel.clear();
  m_recordLimit = 0;
  m_lastSecond = 0xFF;  // so that the first heartbeat acts at once
}

void MainWindow::DeferredStart() {
  timers_.KillTimer(kTimerDeferredStart);
  if (m_startPending) {
    m_startPending = 0;
    BringUpReceiver(BringUpSituation::StartUp);
  }
  timers_.SetTimer(kTimerHeartbeat, 300);
  // Last: its box runs the window's commands and timers, which need a receiver brought up and
  // the heartbeat running (an unattended start must still record).
  device_.ShowOpenFailure();
}

bool MainWindow::OpenAndPowerUp() {
  device_.SetRegion(m_region);
  device_.SetBand(m_band);
  if (device_.OpenDevice(view_.Handle()) != 1) return false;
  m_deviceLost = 0;
  device_.SendRegionConfig(m_region);
  device_.PowerUp();
  device_.SendBandCompletion();
  return true;
}

int MainWindow::RunOrStopLive() {
  ILiveAudio* live = Live();
  if (!live) return kLiveSuccess;  // no sound to bring back
  return m_playing ? live->StopLive() : live->RunLive();
}

void MainWindow::BringUpReceiver(BringUpSituation situation) {
  switch (situation) {
    case BringUpSituation::StartUp:
      if (!OpenAndPowerUp()) return;
      clock_.SleepMs(500);
      Retune();
      if (ILiveAudio* live = Live()) {
        live->BuildLiveGraph();
        live->RunLive();
      }
      SetLiveVolume(LiveVolume());
      SetLiveVolume(m_volume);
      view_.SetVolumeSlider(m_volume);
      Retune();
      display_->InvalidateReadout();
      return;
    case BringUpSituation::Arrival:
      if (m_playing && parts_.playback) parts_.playback->StopPlayback();
      // An open receiver is playing (perhaps recording) the station in use, and a recording that
      // runs while the receiver was closed (scheduled while another program held it) has set the
      // window to its station: the stored one would throw either away.
      if (!DeviceOpen() && !m_recording) LoadRadioState();
      if (!OpenAndPowerUp()) return;
      Retune();
      clock_.SleepMs(500);
      if (ILiveAudio* live = Live()) {
        live->BuildLiveGraph();
        live->StopLive();
        live->RunLive();
      }
      SetLiveVolume(m_volume);
      view_.SetVolumeSlider(m_volume);
      Retune();
      display_->InvalidateReadout();
      view_.ShowMainWindow(ShowCommand::Show);
      device_.ShowOpenFailure();
      return;
    case BringUpSituation::Resume:
      ResumeReceiver();
      device_.ShowOpenFailure();
      return;
  }
}

void MainWindow::ResumeReceiver() {
  int liveResult = kLiveSuccess;
  if (DeviceOpen()) {
    // The receiver survived the standby: only its sound needs to come back.
    liveResult = RunOrStopLive();
    SetLiveVolume(LiveVolume());
  } else {
    LoadRadioState();
    if (OpenAndPowerUp()) {
      Retune();
      if (ILiveAudio* live = Live()) live->BuildLiveGraph();
      RunOrStopLive();
      SetLiveVolume(LiveVolume());
      view_.SetVolumeSlider(m_volume);
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
  view_.ShowMainWindow(ShowCommand::Show);
  display_->InvalidateReadout();
}

bool MainWindow::OnDeviceArrival(const std::string& interfacePath) {
  if (IsReceiverInterfacePath(interfacePath)) BringUpReceiver(BringUpSituation::Arrival);
  return true;
}

bool MainWindow::OnDeviceRemoveComplete(uintptr_t handle) {
  if (handle != 0 && DeviceOpen() && handle == device_.NativeHandle()) {
    m_deviceLost = 1;
    Close();
  }
  return true;
}

void MainWindow::Close() {
  for (unsigned id : kWorkTimers) timers_.KillTimer(id);
  if (m_playing && parts_.playback) parts_.playback->EndForClose();
  m_playing = 0;
  if (!m_deviceLost) {
    StopLive();
    device_.CloseDevice();
  }
  // The device close ends a recording with the graph; after a removal, or with a recording
  // that runs without the receiver's HID side, it would be left to the process exit, which
  // drops the encoder's last frames and leaves the file unclosed.
  device_.StopRecorder();
  SaveRadioState();
  view_.UnregisterDeviceNotifications();
  view_.DestroyMainWindow();
}

void MainWindow::Exit() {
  SaveRadioState();
  view_.UnregisterDeviceNotifications();
  if (!m_deviceLost) device_.CloseDevice();
  view_.DestroyMainWindow();
}

void MainWindow::OnEndSession(bool ending) {
  // A hidden window (in the tray) is asked too; the answer to a cancelled log-off is nothing.
  if (ending) Close();
}

void MainWindow::OnHeartbeat() {
  const LocalTime now = wallClock_.Now();
  if (now.second == m_lastSecond) return;
  m_lastSecond = static_cast<uint8_t>(now.second);
  if (m_recording && device_.RecorderWriteFailed()) {
    // Its after-action may have closed the window or put the PC to sleep, and its message has
    // run later seconds meanwhile: this second is done. A reservation due in it is caught up by
    // the next tick.
    EndRecordingOnWriteFailure();
    return;
  }
  if (DeviceOpen() && m_recording) RecordingDisplayTick();
  ApplyKeepAwake();
  if (parts_.scheduler) parts_.scheduler->SchedulerTick(now);
}

void MainWindow::LoadPowerSettings() {
  m_power = ::LoadPowerSettings(settings_);
  ApplyKeepAwake();
}

void MainWindow::ApplyKeepAwake() { power_.SetExecutionState(KeepAwakeExecutionState(m_power.autoSuspend)); }

// ---- Radio state in the settings ----

void MainWindow::LoadRadioState() {
  const RadioState state = ::LoadRadioState(settings_);
  m_band = state.band;
  g_currentBand = state.band;
  m_region = state.region;
  m_freqAm = state.freqAm;
  m_freqFm = state.freqFm;
  m_freqSw = state.freqSw;
  m_volume = state.volume;
  m_mp3Rate = state.mp3Rate;
  m_stereo = state.stereo;
  m_recordFolder = state.recordFolder;
  FindCurrentPreset();
  display_->InvalidateReadout();
}

void MainWindow::SaveRadioState() {
  RadioState state;
  state.band = m_band;
  state.region = m_region;
  state.freqAm = m_freqAm;
  state.freqFm = m_freqFm;
  state.freqSw = m_freqSw;
  state.volume = m_volume;
  state.mp3Rate = m_mp3Rate;
  state.stereo = m_stereo;
  state.recordFolder = m_recordFolder;
  ::SaveRadioState(settings_, state);
}
