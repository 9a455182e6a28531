#include "app/MainWindow.h"

#include "audio/LiveAudio.h"
#include "audio/Volume.h"
#include "resources/resource.h"
#include "settings/SettingsStore.h"

int g_currentBand = BandFM;

MainWindow::MainWindow(CMyKestrune& device, SettingsStore& settings, IClock& clock,
                       IWallClock& wallClock, ITimerHost& timers, IMainView& view,
                       IMainDisplay& display, IPowerControl& power)
    : device_(device),
      settings_(settings),
      clock_(clock),
      wallClock_(wallClock),
      timers_(timers),
      view_(view),
      display_(&display),
      power_(power) {}

// ---- Shared operations ----

uint16_t MainWindow::CurrentFrequency() const {
  if (m_band == BandAM) return m_freqAm;
  if (m_band == BandFM) return m_freqFm;
  return m_freqSw;
}

uint16_t& MainWindow::CurrentRegister() {
  if (m_band == BandAM) return m_freqAm;
  if (m_band == BandFM) return m_freqFm;
  return m_freqSw;
}

std::string MainWindow::PresetKeyOfBand() const { return PresetKey(m_band, m_region); }

void MainWindow::RunLive() {
  if (ILiveAudio* live = Live(); live && DeviceOpen()) live->RunLive();
}

void MainWindow::StopLive() {
  if (ILiveAudio* live = Live(); live && DeviceOpen()) live->StopLive();
}

void MainWindow::SetLiveVolume(int level) {
  if (ILiveAudio* live = Live(); live && DeviceOpen()) live->SetVolume(level);
}

void MainWindow::SetPlaybackVolume(int level) {
  if (m_playing && parts_.playback) parts_.playback->SetGraphVolume(SliderLevelToVolume(level));
}

void MainWindow::Retune() {
  CurrentRegister() = ClampFrequency(CurrentFrequency(), m_band, m_region);
  if (DeviceOpen()) device_.SendTune(CurrentFrequency());
  timers_.SetTimer(kTimerSignal, 500);
}

void MainWindow::CancelSeek() { StopSeek(true); }

void MainWindow::StopSeek(bool endSilence) {
  timers_.KillTimer(kTimerSeekPoll);
  const bool wasSeeking = m_seeking != 0;
  if (wasSeeking) {
    m_seeking = 0;
    display_->InvalidateReadout();
    RunLive();
    Retune();
  }
  // Nothing else would end this silence: the sound would stay off and the controls the seek
  // disabled would stay disabled.
  const bool silenceEnds = endSilence && m_continuousTune;
  if (silenceEnds) {
    m_continuousTune = 0;
    if (!m_userMutedLive) m_muted = 0;
    EnableSeekLockedControls(true);
  }
  if (wasSeeking || silenceEnds) SetLiveVolume(LiveVolume());
}

void MainWindow::ToggleSeekSilence() {
  if (m_userMutedLive) return;
  if (m_muted) {
    m_muted = 0;
    SetLiveVolume(m_volume);
  } else {
    m_muted = 1;
    SetLiveVolume(0);
  }
}

void MainWindow::FindCurrentPreset() {
  m_prevPreset = m_preset;
  m_preset = 0;
  m_presetName.clear();
  const std::string key = PresetKeyOfBand();
  for (int n = 1; n <= 12; ++n) {
    const auto freq = static_cast<uint16_t>(StrToIntLike(TrimBlanks(settings_.ReadValue(key, PresetValueName(n, "FRQ")))));
    if (freq != CurrentFrequency()) continue;
    m_preset = static_cast<uint8_t>(n);
    m_presetName = TrimBlanks(settings_.ReadValue(key, PresetValueName(n, "ID")));
    break;
  }
}

void MainWindow::LoadCurrentPreset(bool refresh) {
  const std::string key = PresetKeyOfBand();
  m_presetName = settings_.ReadValue(key, PresetValueName(m_preset, "ID"));
  const auto freq = static_cast<uint16_t>(settings_.ReadNumber(key, PresetValueName(m_preset, "FRQ")));
  if (freq != CurrentFrequency()) {
    CurrentRegister() = freq;
    Retune();
    StopLive();
    // A region change can recall presets while a file plays: the file keeps the speakers.
    if (!m_playing) {
      RunLive();
      SetLiveVolume(LiveVolume());
    }
    display_->InvalidateReadout();
  } else if (refresh) {
    display_->InvalidateReadout();
  }
}

void MainWindow::SelectBand(uint8_t band) {
  if (!DeviceOpen() || m_playing || band == m_band) return;
  m_band = band;
  g_currentBand = band;
  FindCurrentPreset();
  device_.SendBandSelect(band);
  Retune();
  SetLiveVolume(LiveVolume());
  display_->InvalidateReadout();
  display_->RefreshPresetTips();
}

void MainWindow::ApplyRegion(uint8_t region) {
  if (region == m_region) return;
  m_region = region;
  device_.SendRegionConfig(region);
  device_.SendBandSelect(m_band);
  const uint8_t band = m_band;
  auto recallFirst = [this](uint8_t b) {
    m_band = b;
    m_preset = 1;
    CurrentRegister() = 0;  // so that the recall always counts as a change and tunes
    LoadCurrentPreset(true);
  };
  if (band == BandAM) {
    recallFirst(BandFM);
    recallFirst(BandAM);
  } else {
    recallFirst(BandAM);
    recallFirst(BandFM);
    if (band != BandFM) {
      m_band = band;
      Retune();
    }
  }
  FindCurrentPreset();
  display_->InvalidateReadout();
  display_->RefreshPresetTips();
}

void MainWindow::EnableControls(std::initializer_list<int> ids, bool enable) {
  for (int id : ids) view_.EnableControl(id, enable);
}

void MainWindow::EnableSeekLockedControls(bool enable) {
  for (int id = IDC_SW; id <= IDC_SAVE_PRESET; ++id) view_.EnableControl(id, enable);
  view_.EnableControl(IDC_STEREO, enable);
}

bool MainWindow::ReadStatusBatch(uint8_t (&report)[kReportLength]) {
  bool delivered = false;
  for (int i = 0; i < 5; ++i) delivered = device_.ReadStatus(report) == 1 || delivered;
  return delivered;
}

void MainWindow::ShowMuteCells() {
  const int cell = m_muted ? 0 : 1;
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
      if (parts_.playback) parts_.playback->OnPlayButton();
      return true;
    case IDC_SETTINGS: OnPreferences(); return true;
    case IDC_TIMER_SETTINGS: OnTimerSettings(); return true;
    case IDC_MINIMISE: OnMinimise(); return true;
    case IDC_CLOSE: Close(); return true;
    case ID_SHOW_RADIO: view_.ShowMainWindow(ShowCommand::Show); return true;
    case ID_EXIT: Exit(); return true;
    case IDC_ABOUT: OnAbout(); return true;
    default: break;
  }
  if (id >= ID_REC_OPEN && id <= ID_REC_60) {
    m_saveArmed = 0;
    OnRecordMenu(id);
    return true;
  }
  if (id >= ID_STOP_NOW && id <= ID_STOP_60) {
    m_saveArmed = 0;
    OnStopRecordMenu(id);
    return true;
  }
  return false;
}

void MainWindow::OnTimer(unsigned id) {
  if (m_suspended) return;
  switch (id) {
    case kTimerHeartbeat: OnHeartbeat(); break;
    case kTimerDeferredStart: DeferredStart(); break;
    case kTimerSignal: OnSignalTimer(); break;
    case kTimerRecordLimit: OnRecordLimitTimer(); break;
    case kTimerHoldUp: OnHoldTick(true); break;
    case kTimerHoldDown: OnHoldTick(false); break;
    case kTimerSeekPoll: OnSeekPoll(); break;
    case kTimerMuteEnable:
      timers_.KillTimer(kTimerMuteEnable);
      view_.EnableControl(IDC_MUTE, true);
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
      if (parts_.playback) parts_.playback->OnPlaybackTimer();
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
  m_signal = static_cast<uint8_t>(SignalLevel(DecodeStatus(report).signal));
  display_->InvalidateReadout();
}
