#pragma once
// What the preferences dialog shows and saves: the twelve presets of FM and AM for one region
// and of SW, the bit rate of manual recordings and the record folder.

#include <array>
#include <cstdint>
#include <string>

class IDialogMessage;
class SettingsStore;

constexpr int kPresetsPerBand = 12;

struct PresetRow {
  std::string name;
  std::string frequency;  // as the field shows it: FM with a point, AM and SW in kHz
};
using PresetList = std::array<PresetRow, kPresetsPerBand>;

struct PreferencesForm {
  int region = 2;   // 0 USA, 1 Europe, 2 Japan (the radio group); other stored values are kept
  int format = 2;   // combo entry: 0 = 320, 1 = 192, 2 = 128, 3 = 64 kbit/s
  std::string folder;
  PresetList fm, am, sw;  // fm and am of `region`
};

// The four entries of the format combo, in index order.
extern const char* const kPreferenceFormats[4];

// The combo entry for a stored "MP3BPS": the index the recorder will use, so a value it does
// not know (above 3 as a byte) shows 128 kbit/s, the rate such recordings are made at.
int FormatEntryForStoredRate(const std::string& stored);

// A stored preset frequency as its field shows it: trimmed; for FM a point goes before the last
// two digits of a 4- or 5-character text (8750 → 87.50, 10790 → 107.90); other texts as stored.
std::string PresetFieldText(const std::string& stored, uint8_t band);

// Reads MP3BPS, RECORDFOLDER (as stored) and the presets of FM and AM of `form.region` and of
// SW into `form`; the region itself is left as it is.
void LoadPreferenceLists(SettingsStore& store, PreferencesForm& form);

// Writes COUNTRY, MP3BPS, RECORDFOLDER, then for FM, AM and SW each preset's name and its
// checked and normalised frequency, value by value. The first invalid frequency is shown
// through `message` ("frequency <text> setting error!") and ends the save: false, with what
// was written before it left written.
bool SaveAll(SettingsStore& store, const PreferencesForm& form, IDialogMessage& message);
