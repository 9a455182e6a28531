#pragma once
// The radio as the window shows and drives it: band, region, the frequency kept for each band,
// the station kept while a reservation records, the preset that holds the station, stereo,
// signal, volume and mute. One owner for all of it; its operations keep it consistent. The
// receiver itself is told by the window, which sequences commands around these changes.

#include <cstdint>
#include <optional>
#include <string>

#include "device/BandPlan.h"
#include "settings/RadioState.h"
#include "settings/SettingsStore.h"

class Radio {
 public:
  explicit Radio(SettingsStore& settings) : settings_(settings) {}
  Radio(const Radio&) = delete;
  Radio& operator=(const Radio&) = delete;

  // ---- Station ----
  uint8_t Band() const { return tuning_.band; }
  uint8_t Region() const { return tuning_.region; }
  // Of the current band.
  uint16_t Frequency() const { return tuning_.CurrentFrequency(); }
  uint16_t Frequency(uint8_t band) const { return tuning_.FrequencyOf(band); }
  // The current band's frequency as it is given (the receiver's own word, a hold running ahead).
  void SetFrequency(uint16_t freq) { tuning_.CurrentRegister() = freq; }
  void SetFrequency(uint8_t band, uint16_t freq) { tuning_.Register(band) = freq; }
  // Brings the current band's frequency into the band plan and returns it.
  uint16_t ClampFrequency();
  // One channel step of the current band, round at its ends.
  void Step(bool up);
  bool AtBandEdge(bool up) const { return tuning_.AtEdge(up ? BandEdge::Upper : BandEdge::Lower); }
  void SetBand(uint8_t band) { tuning_.band = band; }
  void SetRegion(uint8_t region) { tuning_.region = region; }
  // Keeps band and frequencies for RestoreStation (a reservation records another station). One
  // kept already (reservations that follow each other, a resumed one) stays: the user's station
  // is the one from before the first.
  void SaveStation() {
    if (!saved_) saved_ = tuning_;
  }
  // Band and frequencies as SaveStation kept them (the region stays), kept no more; nothing
  // when none is kept (false then).
  bool RestoreStation();
  // The kept station let go: what is tuned now is the user's.
  void ForgetStation() { saved_.reset(); }

  // ---- Presets of the current band and region ----
  std::string PresetKey() const { return ::PresetKey(tuning_.band, tuning_.region); }
  uint8_t Preset() const { return preset_; }
  // The preset before the last search for one, for the preset buttons' stepping.
  uint8_t PreviousPreset() const { return prevPreset_; }
  const std::string& PresetName() const { return presetName_; }
  // The preset that holds the current frequency, by the stored presets; none when no one does.
  void FindCurrentPreset();
  void SetPreset(uint8_t n, std::string name);

  // ---- Sound ----
  int Volume() const { return volume_; }
  void SetVolume(int volume) { volume_ = volume; }
  // Silent: by the user, or by a seek's silence.
  bool Muted() const { return muted_; }
  void SetMuted(bool muted) { muted_ = muted; }
  // The user muted the live sound with the Mute button (a seek's silence leaves it on).
  bool UserMutedLive() const { return userMutedLive_; }
  void SetUserMutedLive(bool muted) { userMutedLive_ = muted; }
  // The live sound's level: the volume, 0 while muted.
  int LiveVolume() const { return muted_ ? 0 : volume_; }
  // Non-zero for stereo; the stored value as it was read, until the Stereo button toggles it.
  uint8_t Stereo() const { return stereo_; }
  void SetStereo(uint8_t stereo) { stereo_ = stereo; }
  // Bars, 0..5.
  uint8_t Signal() const { return signal_; }
  void SetSignal(uint8_t signal) { signal_ = signal; }

  // ---- Stored state ----
  // The stored state: its radio part taken over (with the preset that holds the station), the
  // whole returned for the recording's rate and folder.
  RadioState Load();
  // Band, frequencies, stereo, region and volume written back; while a reservation's station is
  // tuned, the user's station kept for after it.
  void Save();
  // A start's run state: sound on, no signal yet.
  void ClearRunState();

 private:
  SettingsStore& settings_;
  // Band AM and region USA (0) until the stored state is loaded.
  TuningState tuning_{0, 0, 0, 0, 0};
  // While a reservation's station is tuned: the user's, which is also the one stored.
  std::optional<TuningState> saved_;
  uint8_t preset_ = 0;
  uint8_t prevPreset_ = 0;
  std::string presetName_;
  int volume_ = 0;
  bool muted_ = false;
  bool userMutedLive_ = false;
  uint8_t stereo_ = 0;
  uint8_t signal_ = 0;
};
