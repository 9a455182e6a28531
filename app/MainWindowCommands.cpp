// The buttons, keys and menu commands of the main window that act on the radio.
#include "app/MainWindow.h"
#include "audio/LiveAudio.h"
#include "resources/resource.h"
#include "settings/RadioState.h"
#include "settings/SettingsStore.h"

void MainWindow::OnPresetButton(int n) {
  display_->RefreshPresetTips();
  if (!DeviceOpen() || m_playing) return;
  CancelSeek();
  display_->InvalidateReadout();
  if (m_saveArmed) {
    m_saveArmed = 0;
    const std::string key = PresetKeyOfBand();
    settings_.WriteNumber(key, PresetValueName(n, "FRQ"), CurrentFrequency());
    m_preset = static_cast<uint8_t>(n);
    m_presetName = TrimBlanks(settings_.ReadValue(key, PresetValueName(n, "ID")));
    Retune();
    display_->InvalidateReadout();
  } else {
    CancelSeek();
    m_preset = static_cast<uint8_t>(n);
    LoadCurrentPreset(true);
    Retune();
  }
  display_->RefreshPresetTips();
  view_.EnableControl(IDC_MUTE, false);
  timers_.SetTimer(kTimerMuteEnable, 800);
}

void MainWindow::OnPresetDown() {
  display_->ApplyButtonTips();
  if (!DeviceOpen()) return;
  CancelSeek();
  if (m_playing) return;
  m_saveArmed = 0;
  int n = m_preset ? m_preset : m_prevPreset;
  if (n == 0) n = 1;
  if (n > 12) n = 12;
  n = n == 1 ? 12 : n - 1;
  m_preset = static_cast<uint8_t>(n);
  LoadCurrentPreset(true);
  view_.EnableControl(IDC_MUTE, false);
  timers_.SetTimer(kTimerMuteEnable, 800);
}

void MainWindow::OnPresetUp() {
  display_->ApplyButtonTips();
  if (!DeviceOpen()) return;
  CancelSeek();
  if (m_playing) return;
  m_saveArmed = 0;
  int n = (m_preset ? m_preset : m_prevPreset) + 1;
  if (n > 12) n = 1;
  m_preset = static_cast<uint8_t>(n);
  LoadCurrentPreset(true);
  view_.EnableControl(IDC_MUTE, false);
  timers_.SetTimer(kTimerMuteEnable, 800);
}

void MainWindow::OnSaveToPreset() {
  display_->ApplyButtonTips();
  CancelSeek();
  if (m_playing) return;
  m_saveArmed = DeviceOpen() ? 1 : 0;
}

void MainWindow::OnBandButton(uint8_t band) {
  display_->ApplyButtonTips();
  if (!DeviceOpen() || m_playing) return;
  EnableControls({IDC_AM, IDC_FM, IDC_SW}, false);
  m_saveArmed = 0;
  SelectBand(band);
  timers_.SetTimer(kTimerBandEnable, 1500);
}

void MainWindow::OnTuneStep(bool up) {
  timers_.KillTimer(kTimerBandEnable);
  EnableControls({IDC_AM, IDC_FM, IDC_SW, IDC_SEEK_DOWN, IDC_SEEK_UP}, false);
  display_->ApplyButtonTips();
  if (!DeviceOpen()) return;
  StopSeek(false);
  if (m_playing) return;
  timers_.KillTimer(kTimerHoldDown);
  timers_.KillTimer(kTimerHoldUp);
  if (!m_continuousTune) {
    StopLive();
    CurrentRegister() = up ? StepFrequencyUp(CurrentFrequency(), m_band, m_region)
                           : StepFrequencyDown(CurrentFrequency(), m_band, m_region);
    Retune();
    RunLive();
    view_.EnableControl(IDC_MUTE, false);
    timers_.SetTimer(kTimerMuteEnable, 800);
  } else {
    // A seek was running and has just been cancelled: stay where the receiver stopped.
    ToggleSeekSilence();
    timers_.KillTimer(kTimerSeekPoll);
    uint8_t report[kReportLength] = {};
    if (ReadStatusBatch(report)) CurrentRegister() = DecodeStatus(report).frequency;
    StopLive();
    Retune();
    FindCurrentPreset();
    display_->InvalidateReadout();
    RunLive();
    m_continuousTune = 0;
    EnableSeekLockedControls(true);
    m_userMutedLive = 0;
    EnableControls({IDC_AM, IDC_FM, IDC_SW, IDC_SEEK_DOWN, IDC_SEEK_UP}, false);
  }
  FindCurrentPreset();
  display_->InvalidateReadout();
  timers_.SetTimer(kTimerBandEnable, 1500);
}

void MainWindow::OnTuneHoldStart(bool up) {
  display_->ApplyButtonTips();
  if (!DeviceOpen() || m_playing) return;
  StopSeek(false);
  m_holdTicks = 0;
  timers_.SetTimer(up ? kTimerHoldUp : kTimerHoldDown, 100);
}

void MainWindow::OnHoldTick(bool up) {
  if (m_holdTicks < 255) ++m_holdTicks;
  if (m_holdTicks < 10) return;
  // The display runs ahead; the receiver is tuned once, on release.
  CurrentRegister() = up ? StepFrequencyUp(CurrentFrequency(), m_band, m_region)
                         : StepFrequencyDown(CurrentFrequency(), m_band, m_region);
  display_->InvalidateReadout();
}

void MainWindow::OnSeek(bool up) {
  display_->ApplyButtonTips();
  if (!DeviceOpen()) return;
  m_saveArmed = 0;
  m_seeking = 0;
  if (m_playing) return;
  if (IsAtBandEdge(CurrentFrequency(), m_band, m_region, up ? BandEdge::Upper : BandEdge::Lower)) return;
  timers_.SetTimer(kTimerTuneEnable, 600);
  timers_.KillTimer(kTimerBandEnable);
  // A seek started while an earlier seek's silence is still on (the tray menu reaches Seek
  // while its buttons are disabled) keeps that silence: toggling again would play the noise
  // of the seek and leave the sound off once it settles.
  if (!m_continuousTune) {
    m_continuousTune = 1;
    ToggleSeekSilence();
  }
  timers_.SetTimer(kTimerSeekPoll, 100);
  EnableSeekLockedControls(false);
  m_seeking = 1;
  device_.SendSeek(up ? SeekDirection::Up : SeekDirection::Down);
  m_seekStable = 0;
  uint8_t report[kReportLength] = {};
  if (ReadStatusBatch(report)) {
    const StatusReport status = DecodeStatus(report);
    CurrentRegister() = status.frequency;
    m_signal = static_cast<uint8_t>(SignalLevel(status.signal));
  }
  RunLive();
}

void MainWindow::OnSeekPoll() {
  if (!m_seeking || !DeviceOpen()) return;
  uint8_t report[kReportLength] = {};
  if (device_.ReadStatus(report) != 1 || !m_seeking) return;
  const uint16_t freq = DecodeStatus(report).frequency;
  if (freq != CurrentFrequency()) {
    CurrentRegister() = freq;
    m_seekStable = 0;
    display_->InvalidateReadout();
    return;
  }
  if (m_seekStable < 0xFFFF) ++m_seekStable;
  if (m_seekStable <= 5) return;
  // Six equal reads in a row: the receiver has stopped. It stays where it is, untuned.
  FindCurrentPreset();
  display_->InvalidateReadout();
  m_seeking = 0;
  ToggleSeekSilence();
  m_continuousTune = 0;
  EnableSeekLockedControls(true);
  timers_.KillTimer(kTimerSeekPoll);
  timers_.KillTimer(kTimerBandEnable);
  EnableControls({IDC_AM, IDC_FM, IDC_SW}, false);
  timers_.SetTimer(kTimerBandEnable, 1000);
}

void MainWindow::OnMute() {
  display_->ApplyButtonTips();
  StopSeek(false);
  if (m_muted) {
    m_muted = 0;
    if (m_playing) {
      if (parts_.playback) parts_.playback->RunGraph();
    } else {
      SetLiveVolume(m_volume);
      m_userMutedLive = 0;
    }
    if (m_continuousTune) {
      // This ends the silence of a seek that another command cancelled. Left set, the next
      // Tune press would take it for a running silence and turn the sound off again, and the
      // controls the seek disabled would wait for that press.
      m_continuousTune = 0;
      EnableSeekLockedControls(true);
    }
  } else {
    m_muted = 1;
    if (m_playing) {
      if (parts_.playback) parts_.playback->StopGraph();
    } else {
      SetLiveVolume(0);
      m_userMutedLive = 1;
    }
  }
  ShowMuteCells();
}

void MainWindow::OnVolumeSliderNotify() {
  const int position = view_.VolumeSliderPosition();
  if (position == m_volume) return;
  m_volume = position;
  SetLiveVolume(LiveVolume());
  SetPlaybackVolume(m_volume);
}

void MainWindow::OnVolumeKey(int delta) {
  int volume = m_volume + delta;
  if (volume < 0) volume = 0;
  if (volume > 100) volume = 100;
  view_.SetVolumeSlider(volume);
  m_volume = view_.VolumeSliderPosition();
  // Deliberately regardless of mute: the keys make the sound audible again.
  SetLiveVolume(m_volume);
  SetPlaybackVolume(m_volume);
}

void MainWindow::OnStereo() {
  if (!DeviceOpen()) return;
  CancelSeek();
  if (m_playing) return;
  m_saveArmed = 0;
  display_->ReloadStereoImages();
  if (m_stereo) {
    m_stereo = 0;
    device_.SendStereoMode(false);
    view_.SetTooltip(IDC_STEREO, "Mono");
    view_.SetButtonCells(IDC_STEREO, 0, 2);
  } else {
    m_stereo = 1;
    device_.SendStereoMode(true);
    view_.SetTooltip(IDC_STEREO, "Stereo");
    view_.SetButtonCells(IDC_STEREO, 1, 3);
  }
  view_.RedrawButton(IDC_STEREO);
  display_->InvalidateReadout();
}

void MainWindow::OnMinimise() {
  view_.ShowMainWindow(ShowCommand::Hide);
  CancelSeek();
  m_saveArmed = 0;
}

void MainWindow::OnPreferences() {
  display_->ApplyButtonTips();
  if (!DeviceOpen()) return;
  CancelSeek();
  m_saveArmed = 0;
  if (!parts_.dialogs) return;
  PreferencesResult result;
  const bool accepted = parts_.dialogs->RunPreferences(m_region, result);
  // A reset stays made when the dialog is cancelled after it (its record folder could not be
  // made): the window follows it all the same.
  if (!accepted && !result.dataReset) return;
  m_power.autoSuspend = LoadAutoSuspend(settings_);
  if (result.dataReset) {
    // The reservations and power settings the scheduler holds were wiped from the registry:
    // none of them may still record, wake or shut the computer down.
    if (parts_.scheduler) parts_.scheduler->LoadSchedule();
    LoadPowerSettings();
  }
  if (!accepted) {
    // Nothing of the dialog was saved after the reset: the defaults it stored are what holds.
    const RadioState stored = ::LoadRadioState(settings_);
    result.region = stored.region;
    result.mp3Rate = stored.mp3Rate;
    result.recordFolder = stored.recordFolder;
  }
  m_mp3Rate = result.mp3Rate;
  m_recordFolder = result.recordFolder;
  ApplyRegion(result.region);
  FindCurrentPreset();
  display_->InvalidateReadout();
  display_->RefreshPresetTips();
}

void MainWindow::OnTimerSettings() {
  display_->ApplyButtonTips();
  m_saveArmed = 0;
  if (!parts_.dialogs) return;
  parts_.dialogs->RunTimerDialog(m_region);
  if (parts_.scheduler) parts_.scheduler->LoadSchedule();
  LoadPowerSettings();
}

void MainWindow::OnAbout() {
  m_saveArmed = 0;
  view_.ShowAboutBox();
}
