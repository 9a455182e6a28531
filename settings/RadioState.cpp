#include "settings/RadioState.h"

#include "settings/SettingsStore.h"

uint8_t LoadRegion(SettingsStore& store) {
  // The receiver's configuration and band codes take anything above Europe as Japan; the band
  // plan and the preset keys must see the same region, so the value itself becomes Japan.
  const auto region = static_cast<uint8_t>(store.ReadNumber(kGeneralKey, "COUNTRY"));
  return region > RegionJapan ? static_cast<uint8_t>(RegionJapan) : region;
}

std::string LoadRecordFolder(SettingsStore& store) {
  std::string folder = TrimBlanks(store.ReadValue(kGeneralKey, "RECORDFOLDER"));
  return folder.empty() ? kDefaultRecordFolder : folder;
}

RadioState LoadRadioState(SettingsStore& store) {
  RadioState state;
  std::string band = store.ReadValue(kGeneralKey, "FM");
  if (band.empty()) {
    state.band = BandFM;
  } else {
    auto value = static_cast<uint8_t>(StrToIntLike(band));
    state.band = value > BandSW ? static_cast<uint8_t>(BandSW) : value;
  }
  state.region = LoadRegion(store);
  state.freqAm = static_cast<uint16_t>(store.ReadNumber(kGeneralKey, "FREQ_AM"));
  state.freqFm = static_cast<uint16_t>(store.ReadNumber(kGeneralKey, "FREQ"));
  state.freqSw = static_cast<uint16_t>(store.ReadNumber(kGeneralKey, "FREQ_SW"));
  // A negative volume has no slider position and no attenuation: treat it as silence.
  int volume = store.ReadNumber(kGeneralKey, "VOLUME");
  state.volume = volume > 100 ? 100 : (volume < 0 ? 0 : volume);
  auto rate = static_cast<uint8_t>(store.ReadNumber(kGeneralKey, "MP3BPS"));
  state.mp3Rate = rate > 3 ? 2 : rate;
  state.stereo = static_cast<uint8_t>(store.ReadNumber(kGeneralKey, "STEREO"));
  state.recordFolder = LoadRecordFolder(store);
  return state;
}

void SaveRadioState(SettingsStore& store, const RadioState& state) {
  store.WriteNumber(kGeneralKey, "FM", state.band);
  store.WriteNumber(kGeneralKey, "FREQ", state.freqFm);
  store.WriteNumber(kGeneralKey, "FREQ_SW", state.freqSw);
  store.WriteNumber(kGeneralKey, "STEREO", state.stereo);
  store.WriteNumber(kGeneralKey, "FREQ_AM", state.freqAm);
  store.WriteNumber(kGeneralKey, "COUNTRY", state.region);
  store.WriteNumber(kGeneralKey, "VOLUME", state.volume);
}

AfterRecording ResolveAfterRecording(bool shutdown, bool close, bool standby) {
  if (shutdown) return AfterRecording::Shutdown;
  if (close) return AfterRecording::Close;
  if (standby) return AfterRecording::Standby;
  return AfterRecording::None;
}

AfterRecording LoadAfterRecording(SettingsStore& store) {
  bool close = store.ReadNumber(kGeneralKey, "CLOSE") != 0;
  bool shutdown = store.ReadNumber(kGeneralKey, "SHUTDOWN") != 0;
  bool standby = store.ReadNumber(kGeneralKey, "STANDBY") != 0;
  return ResolveAfterRecording(shutdown, close, standby);
}
