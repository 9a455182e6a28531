#include "settings/Preferences.h"

#include "device/BandPlan.h"
#include "settings/SettingsStore.h"
#include "settings/TimerSetting.h"

const char* const kPreferenceFormats[4] = {"MP3 320K bps", "MP3 192K bps", "MP3 128K bps", "MP3 64K bps"};

int FormatEntryForStoredRate(const std::string& stored) {
  // The main window loads the index as a byte and records at 128 kbit/s above 3 (RadioState).
  const auto index = static_cast<uint8_t>(StrToIntLike(stored));
  return index > 3 ? 2 : index;
}

std::string PresetFieldText(const std::string& stored, uint8_t band) {
  std::string text = TrimBlanks(stored);
  if (band != BandFM) return text;
  if (text.size() == 4) return text.substr(0, 2) + "." + text.substr(2);
  if (text.size() == 5) return text.substr(0, 3) + "." + text.substr(3);
  return text;
}

namespace {

void LoadList(SettingsStore& store, uint8_t band, int region, PresetList& list) {
  const std::string key = PresetKey(band, static_cast<unsigned>(region));
  for (int n = 1; n <= kPresetsPerBand; ++n) {
    PresetRow& row = list[static_cast<size_t>(n - 1)];
    row.name = store.ReadValue(key, PresetValueName(n, "ID"));
    row.frequency = PresetFieldText(store.ReadValue(key, PresetValueName(n, "FRQ")), band);
  }
}

bool SaveList(SettingsStore& store, uint8_t band, int region, const PresetList& list, IDialogMessage& message) {
  const std::string key = PresetKey(band, static_cast<unsigned>(region));
  for (int n = 1; n <= kPresetsPerBand; ++n) {
    const PresetRow& row = list[static_cast<size_t>(n - 1)];
    store.WriteValue(key, PresetValueName(n, "ID"), row.name);
    std::string frequency = row.frequency;
    if (!NormaliseFrequencyText(frequency, static_cast<uint8_t>(region), band)) {
      message.Show(FrequencyErrorMessage(row.frequency));
      return false;
    }
    store.WriteValue(key, PresetValueName(n, "FRQ"), frequency);
  }
  return true;
}

}  // namespace

void LoadPreferenceLists(SettingsStore& store, PreferencesForm& form) {
  form.format = FormatEntryForStoredRate(store.ReadValue(kGeneralKey, "MP3BPS"));
  form.folder = store.ReadValue(kGeneralKey, "RECORDFOLDER");
  LoadList(store, BandFM, form.region, form.fm);
  LoadList(store, BandAM, form.region, form.am);
  LoadList(store, BandSW, form.region, form.sw);
}

bool SaveAll(SettingsStore& store, const PreferencesForm& form, IDialogMessage& message) {
  store.WriteNumber(kGeneralKey, "COUNTRY", form.region);
  store.WriteNumber(kGeneralKey, "MP3BPS", form.format);
  store.WriteValue(kGeneralKey, "RECORDFOLDER", form.folder);
  return SaveList(store, BandFM, form.region, form.fm, message) &&
         SaveList(store, BandAM, form.region, form.am, message) &&
         SaveList(store, BandSW, form.region, form.sw, message);
}
