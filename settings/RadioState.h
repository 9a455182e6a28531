#pragma once
// The part of the main window's state that lives in "FM_AM_SETTING": what is loaded at start-up
// (and again when the receiver has to be found anew) and what survives a run.

#include <cstdint>
#include <string>

#include "device/BandPlan.h"

class SettingsStore;

struct RadioState {
  uint8_t band = BandFM;  // Band: 0 AM, 1 FM, 2 SW
  uint8_t region = RegionUSA;  // Region: 0 USA, 1 Europe, 2 Japan
  uint16_t freqAm = 0;
  uint16_t freqFm = 0;
  uint16_t freqSw = 0;
  int volume = 0;        // 0..100
  uint8_t mp3Rate = 2;   // bit-rate index: 0 = 320, 1 = 192, 2 = 128, 3 = 64 kbit/s
  uint8_t stereo = 0;
  std::string recordFolder;
};

constexpr const char* kDefaultRecordFolder = "C:\\RadioREC";

// "COUNTRY" as a Region: its low byte, any value above 2 read as Japan. Every reader of the
// stored region goes through this, so that one hand-edited value means one region everywhere.
uint8_t LoadRegion(SettingsStore& store);

// "RECORDFOLDER" as recordings use it: trimmed of blanks, "C:\RadioREC" when nothing is left.
// Start-up creates this folder, not the raw text.
std::string LoadRecordFolder(SettingsStore& store);

// Reads FM, COUNTRY, FREQ_AM, FREQ, FREQ_SW, VOLUME, MP3BPS, STEREO, RECORDFOLDER in this
// order (a missing value is recreated empty as it is read) and brings each into range: an empty
// band is FM and one above 2 (as a byte) SW; a region above 2 (as a byte) is Japan; the volume
// is held to 0..100; a bit-rate index above 3 (as a byte) is 128 kbit/s; a blank folder is
// "C:\RadioREC".
RadioState LoadRadioState(SettingsStore& store);

// Writes FM, FREQ, FREQ_SW, STEREO, FREQ_AM, COUNTRY, VOLUME in this order, each as "%d".
// The bit rate and the folder belong to the preferences dialog and are not written.
void SaveRadioState(SettingsStore& store, const RadioState& state);

// What to do after a scheduled recording. At most one holds.
enum class AfterRecording { None, Shutdown, Close, Standby };

// SHUTDOWN wins over CLOSE, CLOSE over STANDBY.
AfterRecording ResolveAfterRecording(bool shutdown, bool close, bool standby);

// Reads "CLOSE", "SHUTDOWN", "STANDBY" in this order (a non-zero number is on) and resolves them.
AfterRecording LoadAfterRecording(SettingsStore& store);
