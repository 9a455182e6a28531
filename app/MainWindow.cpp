#include "app/MainWindow.h"

#include <vector>

#include "audio/Volume.h"
#include "resources/resource.h"
#include "settings/SettingsStore.h"

namespace {

// A band switch settles before a reservation's station is tuned on it.
constexpr unsigned kBandSettleMs = 1000;

}  // namespace

MainWindow::MainWindow(CMyKestrune& device, LiveSound& sound, ::Radio& radio, RecordingController& recording,
                       SettingsStore& settings, IClock& clock, IWallClock& wallClock, ITimerHost& timers,
                       IMainView& view, IMainDisplay& display, PowerState& power, IPlaybackControl* playback,
                       ISchedulerControl* scheduler, IWindowDialogs* dialogs, IExitLog* exitLog)
    : device_(device),
      sound_(sound),
      radio_(radio),
      recording_(recording),
      settings_(settings),
      clock_(clock),
      wallClock_(wallClock),
      timers_(timers),
      view_(view),
      display_(&display),
      power_(power),
      playback_(playback),
      scheduler_(scheduler),
      dialogs_(dialogs),
      exitLog_(exitLog),
      focus_(view) {}

// ---- Shared operations ----

void MainWindow::RunLive() { sound_.Run(); }

void MainWindow::StopLive() { sound_.Stop(); }

void MainWindow::SetLiveVolume(int level) { sound_.SetVolume(level); }

void MainWindow::OnWindowShown() {
  hiddenInTray_ = false;
  if (!sound_.Release() || !DeviceOpen()) return;
  sound_.Build();
  // A file that plays keeps the speakers, as after a resume.
  if (!Playing()) sound_.Run();
  SetLiveVolume(radio_.LiveVolume());
  view_.SetVolumeSlider(radio_.Volume());
}

void MainWindow::SetPlaybackVolume(int level) {
  if (Playing()) playback_->SetGraphVolume(SliderLevelToVolume(level));
}

void MainWindow::Retune() {
  const uint16_t frequency = radio_.ClampFrequency();
  if (DeviceOpen()) device_.SendTune(frequency);
  timers_.SetTimer(kTimerSignal, 500);
}

void MainWindow::CancelSeek() { StopSeek(true); }

void MainWindow::StopSeek(bool endSilence) {
  timers_.KillTimer(kTimerSeekPoll);
  const bool wasSeeking = seeking_;
  if (wasSeeking) {
    seeking_ = false;
    display_->InvalidateReadout();
    RunLive();
    Retune();
  }
  // Nothing else would end this silence: the sound would stay off and the controls the seek
  // disabled would stay disabled.
  const bool silenceEnds = endSilence && continuousTune_;
  if (silenceEnds) {
    continuousTune_ = false;
    if (!radio_.UserMutedLive()) radio_.SetMuted(false);
    EnableSeekLockedControls(true);
  }
  if (wasSeeking || silenceEnds) SetLiveVolume(radio_.LiveVolume());
}

void MainWindow::ToggleSeekSilence() {
  if (radio_.UserMutedLive()) return;
  if (radio_.Muted()) {
    radio_.SetMuted(false);
    SetLiveVolume(radio_.Volume());
  } else {
    radio_.SetMuted(true);
    SetLiveVolume(0);
  }
}

void MainWindow::LoadCurrentPreset(bool refresh) {
  const std::string key = radio_.PresetKey();
  const uint8_t preset = radio_.Preset();
  radio_.SetPreset(preset, settings_.ReadValue(key, PresetValueName(preset, "ID")));
  const auto freq = static_cast<uint16_t>(settings_.ReadNumber(key, PresetValueName(preset, "FRQ")));
  if (freq != radio_.Frequency()) {
    radio_.SetFrequency(freq);
    Retune();
    StopLive();
    // A region change can recall presets while a file plays: the file keeps the speakers.
    if (!Playing()) {
      RunLive();
      SetLiveVolume(radio_.LiveVolume());
    }
    display_->InvalidateReadout();
  } else if (refresh) {
    display_->InvalidateReadout();
  }
}

void MainWindow::SelectBand(uint8_t band) {
  if (!DeviceOpen() || Playing() || band == radio_.Band()) return;
  radio_.SetBand(band);
  radio_.FindCurrentPreset();
  device_.SendBandSelect(band);
  Retune();
  SetLiveVolume(radio_.LiveVolume());
  display_->InvalidateReadout();
  display_->RefreshPresetTips();
}

void MainWindow::ApplyRegion(uint8_t region) {
  if (region == radio_.Region()) return;
  radio_.SetRegion(region);
  device_.SendRegionConfig(region);
  device_.SendBandSelect(radio_.Band());
  const uint8_t band = radio_.Band();
  auto recallFirst = [this](uint8_t b) {
    radio_.SetBand(b);
    radio_.SetPreset(1, radio_.PresetName());
    radio_.SetFrequency(0);  // so that the recall always counts as a change and tunes
    LoadCurrentPreset(true);
  };
  if (band == BandAM) {
    recallFirst(BandFM);
    recallFirst(BandAM);
  } else {
    recallFirst(BandAM);
    recallFirst(BandFM);
    if (band != BandFM) {
      radio_.SetBand(band);
      Retune();
    }
  }
  radio_.FindCurrentPreset();
  display_->InvalidateReadout();
  display_->RefreshPresetTips();
}

void MainWindow::EnableControls(std::span<const int> ids, bool enable) {
  if (!enable) focus_.BeforeLeaving(ids);
  for (int id : ids) view_.EnableControl(id, enable);
  if (enable) focus_.AfterReturning(ids);
}

void MainWindow::EnableSeekLockedControls(bool enable) {
  std::vector<int> ids;
  for (int id = IDC_SW; id <= IDC_SAVE_PRESET; ++id) ids.push_back(id);
  ids.push_back(IDC_STEREO);
  EnableControls(ids, enable);
}

bool MainWindow::ReadStatusBatch(uint8_t (&report)[kReportLength]) {
  bool delivered = false;
  for (int i = 0; i < 5; ++i) delivered = device_.ReadStatus(report) == 1 || delivered;
  return delivered;
}

void MainWindow::ShowMuteCells() {
  const int cell = radio_.Muted() ? 0 : 1;
  view_.SetButtonCells(IDC_MUTE, cell, cell);
  view_.RedrawButton(IDC_MUTE);
}

// ---- Message routing ----

bool MainWindow::OnCommand(int id, int notifyCode) {
  if (id >= IDC_PRESET1 && id <= IDC_PRESET12) {
    OnPresetButton(id - 1000);
    return true;
  }
  switch (id) {
    case IDC_PRESET_DOWN: OnPresetDown(); return true;
    case IDC_PRESET_UP: OnPresetUp(); return true;
    case IDC_TUNE_DOWN:
    case IDC_TUNE_UP:
      if (notifyCode == kButtonPressCode) OnTuneHoldStart(id == IDC_TUNE_UP);
      else if (notifyCode == kButtonHoldLostCode) OnTuneHoldLost();
      else OnTuneStep(id == IDC_TUNE_UP);
      return true;
    case IDC_SEEK_DOWN: OnSeek(false); return true;
    case IDC_SEEK_UP: OnSeek(true); return true;
    case IDC_AM: OnBandButton(BandAM); return true;
    case IDC_FM: OnBandButton(BandFM); return true;
    case IDC_SW: OnBandButton(BandSW); return true;
    case IDC_MUTE: OnMute(); return true;
    case IDC_SAVE_PRESET: OnSaveToPreset(); return true;
    case IDC_STEREO: OnStereo(); return true;
    case ID_VOLUME_UP: OnVolumeKey(+1); return true;
    case ID_VOLUME_DOWN: OnVolumeKey(-1); return true;
    case IDC_RECORD: OnRecordButton(); return true;
    case IDC_PLAYBACK:
      if (playback_) playback_->OnPlayButton();
      return true;
    case IDC_SETTINGS: OnPreferences(); return true;
    case IDC_TIMER_SETTINGS: OnTimerSettings(); return true;
    case IDC_MINIMISE: OnMinimise(); return true;
    case IDC_CLOSE: Close(); return true;
    case ID_SHOW_RADIO:
      view_.ShowMainWindow(ShowCommand::Show);
      OnWindowShown();
      return true;
    case ID_EXIT: Exit(); return true;
    case IDC_ABOUT: OnAbout(); return true;
    default: break;
  }
  if (id >= ID_REC_OPEN && id <= ID_REC_60) {
    saveArmed_ = false;
    recording_.OnRecordMenu(id);
    return true;
  }
  if (id >= ID_STOP_NOW && id <= ID_STOP_60) {
    saveArmed_ = false;
    recording_.OnStopRecordMenu(id);
    return true;
  }
  return false;
}

void MainWindow::OnTimer(unsigned id) {
  if (power_.Suspended()) return;
  switch (id) {
    case kTimerHeartbeat: OnHeartbeat(); break;
    case kTimerDeferredStart: DeferredStart(); break;
    case kTimerSignal: OnSignalTimer(); break;
    case kTimerRecordLimit: recording_.OnRecordLimitTimer(); break;
    case kTimerHoldUp: OnHoldTick(true); break;
    case kTimerHoldDown: OnHoldTick(false); break;
    case kTimerSeekPoll: OnSeekPoll(); break;
    case kTimerMuteEnable:
      timers_.KillTimer(kTimerMuteEnable);
      EnableControls({IDC_MUTE}, true);
      break;
    case kTimerBandEnable:
      EnableControls({IDC_AM, IDC_FM, IDC_SW, IDC_SEEK_DOWN, IDC_SEEK_UP}, true);
      timers_.KillTimer(kTimerBandEnable);
      break;
    case kTimerTuneEnable:
      EnableControls({IDC_TUNE_DOWN, IDC_TUNE_UP}, true);
      timers_.KillTimer(kTimerTuneEnable);
      break;
    case kTimerPlayback:
      if (playback_) playback_->OnPlaybackTimer();
      break;
    default: break;
  }
}

void MainWindow::OnMouseMove() {
  timers_.KillTimer(kTimerHoldDown);
  timers_.KillTimer(kTimerHoldUp);
}

void MainWindow::OnSignalTimer() {
  timers_.KillTimer(kTimerSignal);
  uint8_t report[kReportLength] = {};
  device_.ReadStatus(report);
  radio_.SetSignal(static_cast<uint8_t>(SignalLevel(DecodeStatus(report).signal)));
  display_->InvalidateReadout();
}

// ---- The scheduler's operations ----

void MainWindow::StopPlayback() {
  if (Playing()) playback_->StopPlayback();
}

void MainWindow::TuneCurrentStation(bool waitForBand) {
  if (DeviceOpen()) {
    device_.SendBandCompletion();
    device_.SendBandSelect(radio_.Band());
    if (waitForBand) clock_.SleepMs(kBandSettleMs);
  }
  Retune();
  sound_.Stop();
  sound_.Run();
  sound_.SetVolume(radio_.LiveVolume());
  radio_.FindCurrentPreset();
  display_->InvalidateReadout();
  display_->RefreshPresetTips();
}

void MainWindow::TuneForReservation(uint8_t band, uint16_t frequency) {
  radio_.SaveStation();
  radio_.SetBand(band);
  radio_.SetFrequency(frequency);
  TuneCurrentStation(true);
}

void MainWindow::RestoreSavedStation() {
  if (radio_.RestoreStation()) TuneCurrentStation(false);
}
