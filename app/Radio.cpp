#include "app/Radio.h"

#include <utility>

uint16_t Radio::ClampFrequency() {
  tuning_.Clamp();
  return Frequency();
}

void Radio::Step(bool up) {
  if (up) tuning_.StepUp();
  else tuning_.StepDown();
}

bool Radio::RestoreStation() {
  if (!saved_) return false;
  tuning_.band = saved_->band;
  tuning_.freqFm = saved_->freqFm;
  tuning_.freqAm = saved_->freqAm;
  tuning_.freqSw = saved_->freqSw;
  saved_.reset();
  return true;
}

void Radio::FindCurrentPreset() {
  prevPreset_ = preset_;
  preset_ = 0;
  presetName_.clear();
  const std::string key = PresetKey();
  for (int n = 1; n <= 12; ++n) {
    const std::string stored = TrimBlanks(settings_.ReadValue(key, PresetValueName(n, "FRQ")));
    const auto freq = static_cast<uint16_t>(StrToIntLike(stored));
    if (freq != Frequency()) continue;
    preset_ = static_cast<uint8_t>(n);
    presetName_ = TrimBlanks(settings_.ReadValue(key, PresetValueName(n, "ID")));
    break;
  }
}

void Radio::SetPreset(uint8_t n, std::string name) {
  preset_ = n;
  presetName_ = std::move(name);
}

RadioState Radio::Load() {
  const RadioState state = ::LoadRadioState(settings_);
  tuning_.band = state.band;
  tuning_.region = state.region;
  tuning_.freqAm = state.freqAm;
  tuning_.freqFm = state.freqFm;
  tuning_.freqSw = state.freqSw;
  volume_ = state.volume;
  stereo_ = state.stereo;
  FindCurrentPreset();
  return state;
}

void Radio::Save() {
  RadioState state;
  const TuningState& station = saved_ ? *saved_ : tuning_;
  state.band = station.band;
  state.region = tuning_.region;
  state.freqAm = station.freqAm;
  state.freqFm = station.freqFm;
  state.freqSw = station.freqSw;
  state.volume = volume_;
  state.stereo = stereo_;
  ::SaveRadioState(settings_, state);
}

void Radio::ClearRunState() {
  muted_ = false;
  userMutedLive_ = false;
  signal_ = 0;
}
