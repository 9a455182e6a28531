#include "device/BandPlan.h"

#include <cstdio>

BandLimits GetBandLimits(uint8_t band, uint8_t region) {
  switch (band) {
    case BandFM:
      if (region == RegionUSA) return {8750, 10790, 20};
      if (region == RegionJapan) return {7600, 9000, 10};
      return {8750, 10800, 10};
    case BandAM:
      if (region == RegionEurope) return {522, 1710, 9};
      if (region == RegionJapan) return {522, 1629, 9};
      return {520, 1710, 10};
    default:
      return {2300, 23000, 5};
  }
}

uint16_t StepFrequencyUp(uint16_t freq, uint8_t band, uint8_t region) {
  const BandLimits l = GetBandLimits(band, region);
  // Computed wide: a stray register near 65535 must wrap to the lower edge, not through zero.
  const int next = freq + l.step;
  return next > l.upper ? l.lower : static_cast<uint16_t>(next);
}

uint16_t StepFrequencyDown(uint16_t freq, uint8_t band, uint8_t region) {
  const BandLimits l = GetBandLimits(band, region);
  // Computed wide: a register below one step must wrap to the upper edge, not to 655xx.
  const int next = freq - l.step;
  return next < l.lower ? l.upper : static_cast<uint16_t>(next);
}

uint16_t ClampFrequency(uint16_t freq, uint8_t band, uint8_t region) {
  const BandLimits l = GetBandLimits(band, region);
  if (freq < l.lower) freq = l.lower;
  if (freq > l.upper) freq = l.upper;
  return freq;
}

bool IsAtBandEdge(uint16_t freq, uint8_t band, uint8_t region, BandEdge edge) {
  const BandLimits l = GetBandLimits(band, region);
  return freq == (edge == BandEdge::Upper ? l.upper : l.lower);
}

uint16_t& TuningState::Register(uint8_t b) {
  if (b == BandAM) return freqAm;
  if (b == BandFM) return freqFm;
  return freqSw;
}

uint16_t TuningState::FrequencyOf(uint8_t b) const {
  if (b == BandAM) return freqAm;
  if (b == BandFM) return freqFm;
  return freqSw;
}

std::string FrequencySettingsText(uint16_t freq) { return std::to_string(freq); }

ReadoutDigits FrequencyReadoutDigits(uint16_t freq, uint8_t band) {
  ReadoutDigits r{};
  unsigned v = freq;
  for (int i = 4; i >= 0; --i) {
    r.digit[i] = static_cast<int>(v % 10);
    v /= 10;
  }
  r.decimalPoint = band == BandFM;
  if (r.digit[0] == 0) r.digit[0] = -1;
  if (band == BandAM && r.digit[1] == 0) r.digit[1] = -1;
  return r;
}

const char* FrequencyUnitText(uint8_t band) { return band == BandFM ? "MHz" : "kHz"; }

std::string TimerListFrequencyText(const std::string& storedText, uint8_t band) {
  return storedText + (band == BandFM ? " Mhz" : " Khz");
}

std::string RecordingNameFrequency(uint16_t freq) {
  char text[8];
  std::snprintf(text, sizeof text, "%04d", static_cast<int>(freq));
  return text;
}

const char* BandName(uint8_t band) {
  if (band == BandAM) return "AM";
  if (band == BandFM) return "FM";
  return "SW";
}
