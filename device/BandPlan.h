#pragma once
// Bands, regions and the arithmetic on frequencies. A frequency is one unsigned 16-bit value
// in its band's unit (FM 10 kHz, AM and SW kHz); the same integer is stored, sent to the
// receiver, read back and used in file names. Only display text inserts a decimal point.

#include <cstdint>
#include <string>

enum Band : uint8_t { BandAM = 0, BandFM = 1, BandSW = 2 };
enum Region : uint8_t { RegionUSA = 0, RegionEurope = 1, RegionJapan = 2 };

struct BandLimits {
  uint16_t lower;
  uint16_t upper;
  uint16_t step;
};

// The band plan. Any band value above 2 is SW. A region outside 0..2 takes FM's Europe row and
// AM's USA row; the stored region is loaded as Japan above 2 (LoadRegion), so none arrives.
BandLimits GetBandLimits(uint8_t band, uint8_t region);

// One step with wrap-around to the opposite edge; the value is never aligned to the grid,
// so an off-grid value keeps its offset until it wraps.
uint16_t StepFrequencyUp(uint16_t freq, uint8_t band, uint8_t region);
uint16_t StepFrequencyDown(uint16_t freq, uint8_t band, uint8_t region);

// Forces the value into [lower, upper]; the grid is not enforced.
uint16_t ClampFrequency(uint16_t freq, uint8_t band, uint8_t region);

enum class BandEdge { Lower, Upper };
// Exact equality with the edge: a value beyond it does not count.
bool IsAtBandEdge(uint16_t freq, uint8_t band, uint8_t region, BandEdge edge);

// The three frequency registers of the main window and the current band and region.
struct TuningState {
  uint8_t band = BandFM;
  uint8_t region = RegionJapan;
  uint16_t freqFm = 0;
  uint16_t freqAm = 0;
  uint16_t freqSw = 0;

  uint16_t& Register(uint8_t b);
  uint16_t& CurrentRegister() { return Register(band); }
  uint16_t FrequencyOf(uint8_t b) const;
  uint16_t CurrentFrequency() const { return FrequencyOf(band); }
  BandLimits Limits() const { return GetBandLimits(band, region); }
  void StepUp() { CurrentRegister() = StepFrequencyUp(CurrentFrequency(), band, region); }
  void StepDown() { CurrentRegister() = StepFrequencyDown(CurrentFrequency(), band, region); }
  void Clamp() { CurrentRegister() = ClampFrequency(CurrentFrequency(), band, region); }
  bool AtEdge(BandEdge edge) const { return IsAtBandEdge(CurrentFrequency(), band, region, edge); }
};

// ---- Text forms of a frequency ----

// Settings, presets and timer records: "%d".
std::string FrequencySettingsText(uint16_t freq);

// Readout digits from the ten-thousands digit down to the units digit. A blank digit is -1.
// FM: a decimal point goes before the last two digits (drawn by the caller); the
// ten-thousands digit is blank when zero. AM: ten-thousands and thousands blank when zero.
// SW: only the ten-thousands digit is blank when zero.
struct ReadoutDigits {
  int digit[5];
  bool decimalPoint;  // FM only
};
ReadoutDigits FrequencyReadoutDigits(uint16_t freq, uint8_t band);

// "MHz" for FM, "kHz" for AM and SW.
const char* FrequencyUnitText(uint8_t band);

// Timer list: the stored text followed by " Mhz" for FM, " Khz" otherwise.
std::string TimerListFrequencyText(const std::string& storedText, uint8_t band);

// Recording file names: "%04d".
std::string RecordingNameFrequency(uint16_t freq);

// Band prefix of recording file names: "FM", "AM", "SW".
const char* BandName(uint8_t band);
