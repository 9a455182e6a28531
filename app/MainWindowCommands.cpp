// The buttons, keys and menu commands of the main window that act on the radio.
#include "app/MainWindow.h"
#include "resources/resource.h"
#include "settings/RadioState.h"
#include "settings/SettingsStore.h"

void MainWindow::OnPresetButton(int n) {
  display_->RefreshPresetTips();
  if (!DeviceOpen() || Playing()) return;
  CancelSeek();
  display_->InvalidateReadout();
  if (saveArmed_) {
    saveArmed_ = false;
    const std::string key = radio_.PresetKey();
    settings_.WriteNumber(key, PresetValueName(n, "FRQ"), radio_.Frequency());
    radio_.SetPreset(static_cast<uint8_t>(n), TrimBlanks(settings_.ReadValue(key, PresetValueName(n, "ID"))));
    Retune();
    display_->InvalidateReadout();
  } else {
    CancelSeek();
    radio_.SetPreset(static_cast<uint8_t>(n), radio_.PresetName());
    LoadCurrentPreset(true);
    Retune();
  }
  display_->RefreshPresetTips();
  EnableControls({IDC_MUTE}, false);
  timers_.SetTimer(kTimerMuteEnable, 800);
}

void MainWindow::OnPresetDown() {
  display_->ApplyButtonTips();
  if (!DeviceOpen()) return;
  CancelSeek();
  if (Playing()) return;
  saveArmed_ = false;
  int n = radio_.Preset() ? radio_.Preset() : radio_.PreviousPreset();
  if (n == 0) n = 1;
  if (n > 12) n = 12;
  n = n == 1 ? 12 : n - 1;
  radio_.SetPreset(static_cast<uint8_t>(n), radio_.PresetName());
  LoadCurrentPreset(true);
  EnableControls({IDC_MUTE}, false);
  timers_.SetTimer(kTimerMuteEnable, 800);
}

void MainWindow::OnPresetUp() {
  display_->ApplyButtonTips();
  if (!DeviceOpen()) return;
  CancelSeek();
  if (Playing()) return;
  saveArmed_ = false;
  int n = (radio_.Preset() ? radio_.Preset() : radio_.PreviousPreset()) + 1;
  if (n > 12) n = 1;
  radio_.SetPreset(static_cast<uint8_t>(n), radio_.PresetName());
  LoadCurrentPreset(true);
  EnableControls({IDC_MUTE}, false);
  timers_.SetTimer(kTimerMuteEnable, 800);
}

void MainWindow::OnSaveToPreset() {
  display_->ApplyButtonTips();
  CancelSeek();
  if (Playing()) return;
  saveArmed_ = DeviceOpen();
}

void MainWindow::OnBandButton(uint8_t band) {
  display_->ApplyButtonTips();
  if (!DeviceOpen() || Playing()) return;
  EnableControls({IDC_AM, IDC_FM, IDC_SW}, false);
  saveArmed_ = false;
  SelectBand(band);
  timers_.SetTimer(kTimerBandEnable, 1500);
}

void MainWindow::OnTuneStep(bool up) {
  timers_.KillTimer(kTimerBandEnable);
  EnableControls({IDC_AM, IDC_FM, IDC_SW, IDC_SEEK_DOWN, IDC_SEEK_UP}, false);
  display_->ApplyButtonTips();
  if (!DeviceOpen()) return;
  StopSeek(false);
  if (Playing()) return;
  timers_.KillTimer(kTimerHoldDown);
  timers_.KillTimer(kTimerHoldUp);
  holdFrom_.reset();
  if (!continuousTune_) {
    StopLive();
    radio_.Step(up);
    Retune();
    RunLive();
    EnableControls({IDC_MUTE}, false);
    timers_.SetTimer(kTimerMuteEnable, 800);
  } else {
    // A seek was running and has just been cancelled: stay where the receiver stopped.
    ToggleSeekSilence();
    timers_.KillTimer(kTimerSeekPoll);
    uint8_t report[kReportLength] = {};
    if (ReadStatusBatch(report)) radio_.SetFrequency(DecodeStatus(report).frequency);
    StopLive();
    Retune();
    radio_.FindCurrentPreset();
    display_->InvalidateReadout();
    RunLive();
    continuousTune_ = false;
    EnableSeekLockedControls(true);
    radio_.SetUserMutedLive(false);
    EnableControls({IDC_AM, IDC_FM, IDC_SW, IDC_SEEK_DOWN, IDC_SEEK_UP}, false);
  }
  radio_.FindCurrentPreset();
  display_->InvalidateReadout();
  timers_.SetTimer(kTimerBandEnable, 1500);
}

void MainWindow::OnTuneHoldStart(bool up) {
  display_->ApplyButtonTips();
  if (!DeviceOpen() || Playing()) return;
  StopSeek(false);
  holdTicks_ = 0;
  holdFrom_ = radio_.Frequency();
  timers_.SetTimer(up ? kTimerHoldUp : kTimerHoldDown, 100);
}

void MainWindow::OnTuneHoldLost() {
  timers_.KillTimer(kTimerHoldDown);
  timers_.KillTimer(kTimerHoldUp);
  // The display ran ahead of the receiver while the button was held: it shows what plays again.
  if (holdFrom_ && *holdFrom_ != radio_.Frequency()) {
    radio_.SetFrequency(*holdFrom_);
    radio_.FindCurrentPreset();
    display_->InvalidateReadout();
  }
  holdFrom_.reset();
}

void MainWindow::OnHoldTick(bool up) {
  if (holdTicks_ < 255) ++holdTicks_;
  if (holdTicks_ < 10) return;
  // The display runs ahead; the receiver is tuned once, on release.
  radio_.Step(up);
  display_->InvalidateReadout();
}

void MainWindow::OnSeek(bool up) {
  display_->ApplyButtonTips();
  if (!DeviceOpen()) return;
  saveArmed_ = false;
  seeking_ = false;
  if (Playing()) return;
  if (radio_.AtBandEdge(up)) return;
  timers_.SetTimer(kTimerTuneEnable, 600);
  timers_.KillTimer(kTimerBandEnable);
  // A seek started while an earlier seek's silence is still on (the tray menu reaches Seek
  // while its buttons are disabled) keeps that silence: toggling again would play the noise
  // of the seek and leave the sound off once it settles.
  if (!continuousTune_) {
    continuousTune_ = true;
    ToggleSeekSilence();
  }
  timers_.SetTimer(kTimerSeekPoll, 100);
  EnableSeekLockedControls(false);
  seeking_ = true;
  device_.SendSeek(up ? SeekDirection::Up : SeekDirection::Down);
  seekStable_ = 0;
  uint8_t report[kReportLength] = {};
  if (ReadStatusBatch(report)) {
    const StatusReport status = DecodeStatus(report);
    radio_.SetFrequency(status.frequency);
    radio_.SetSignal(static_cast<uint8_t>(SignalLevel(status.signal)));
  }
  RunLive();
}

void MainWindow::OnSeekPoll() {
  if (!seeking_ || !DeviceOpen()) return;
  uint8_t report[kReportLength] = {};
  if (device_.ReadStatus(report) != 1 || !seeking_) return;
  const uint16_t freq = DecodeStatus(report).frequency;
  if (freq != radio_.Frequency()) {
    radio_.SetFrequency(freq);
    seekStable_ = 0;
    display_->InvalidateReadout();
    return;
  }
  if (seekStable_ < 0xFFFF) ++seekStable_;
  if (seekStable_ <= 5) return;
  // Six equal reads in a row: the receiver has stopped. It stays where it is, untuned.
  radio_.FindCurrentPreset();
  display_->InvalidateReadout();
  seeking_ = false;
  ToggleSeekSilence();
  continuousTune_ = false;
  EnableSeekLockedControls(true);
  timers_.KillTimer(kTimerSeekPoll);
  timers_.KillTimer(kTimerBandEnable);
  EnableControls({IDC_AM, IDC_FM, IDC_SW}, false);
  timers_.SetTimer(kTimerBandEnable, 1000);
}

void MainWindow::OnMute() {
  display_->ApplyButtonTips();
  StopSeek(false);
  if (radio_.Muted()) {
    radio_.SetMuted(false);
    if (Playing()) {
      playback_->RunGraph();
    } else {
      SetLiveVolume(radio_.Volume());
      radio_.SetUserMutedLive(false);
    }
    if (continuousTune_) {
      // This ends the silence of a seek that another command cancelled. Left set, the next
      // Tune press would take it for a running silence and turn the sound off again, and the
      // controls the seek disabled would wait for that press.
      continuousTune_ = false;
      EnableSeekLockedControls(true);
    }
  } else {
    radio_.SetMuted(true);
    if (Playing()) {
      playback_->StopGraph();
    } else {
      SetLiveVolume(0);
      radio_.SetUserMutedLive(true);
    }
  }
  ShowMuteCells();
}

void MainWindow::OnVolumeSliderNotify() {
  const int position = view_.VolumeSliderPosition();
  if (position == radio_.Volume()) return;
  radio_.SetVolume(position);
  SetLiveVolume(radio_.LiveVolume());
  SetPlaybackVolume(position);
}

void MainWindow::OnVolumeKey(int delta) {
  int volume = radio_.Volume() + delta;
  if (volume < 0) volume = 0;
  if (volume > 100) volume = 100;
  view_.SetVolumeSlider(volume);
  radio_.SetVolume(view_.VolumeSliderPosition());
  // Muted (or silent while a seek runs), the level changes and the sound stays off: the window
  // must never say "muted" while something plays.
  SetLiveVolume(radio_.LiveVolume());
  SetPlaybackVolume(radio_.Volume());
}

void MainWindow::OnStereo() {
  if (!DeviceOpen()) return;
  CancelSeek();
  if (Playing()) return;
  saveArmed_ = false;
  display_->ReloadStereoImages();
  if (radio_.Stereo()) {
    radio_.SetStereo(0);
    device_.SendStereoMode(false);
    view_.SetTooltip(IDC_STEREO, "Mono");
    view_.SetButtonCells(IDC_STEREO, 0, 2);
  } else {
    radio_.SetStereo(1);
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
  saveArmed_ = false;
}

void MainWindow::OnPreferences() {
  display_->ApplyButtonTips();
  if (!DeviceOpen()) return;
  CancelSeek();
  saveArmed_ = false;
  if (!dialogs_) return;
  PreferencesResult result;
  const bool accepted = dialogs_->RunPreferences(radio_.Region(), radio_.Band(), result);
  // A reset stays made when the dialog is cancelled after it (its record folder could not be
  // made): the window follows it all the same.
  if (!accepted && !result.dataReset) return;
  power_.ReloadAutoSuspend(settings_);
  if (result.dataReset) {
    // The reservations and power settings the scheduler holds were wiped from the registry:
    // none of them may still record, wake or shut the computer down.
    if (scheduler_) scheduler_->LoadSchedule();
    LoadPowerSettings();
  }
  if (!accepted) {
    // Nothing of the dialog was saved after the reset: the defaults it stored are what holds.
    const RadioState stored = ::LoadRadioState(settings_);
    result.region = stored.region;
    result.mp3Rate = stored.mp3Rate;
    result.recordFolder = stored.recordFolder;
  }
  recording_.SetMp3Rate(result.mp3Rate);
  recording_.SetRecordFolder(result.recordFolder);
  ApplyRegion(result.region);
  radio_.FindCurrentPreset();
  display_->InvalidateReadout();
  display_->RefreshPresetTips();
}

void MainWindow::OnTimerSettings() {
  display_->ApplyButtonTips();
  saveArmed_ = false;
  if (!dialogs_) return;
  dialogs_->RunTimerDialog(radio_.Region());
  if (scheduler_) scheduler_->LoadSchedule();
  LoadPowerSettings();
}

void MainWindow::OnAbout() {
  saveArmed_ = false;
  view_.ShowAboutBox();
}

void MainWindow::OnRecordButton() {
  display_->ApplyButtonTips();
  if (!DeviceOpen()) return;
  CancelSeek();
  saveArmed_ = false;
  StopPlayback();
  recording_.ShowRecordMenu();
}
