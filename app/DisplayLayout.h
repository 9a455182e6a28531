#pragma once
// What the readout shows for a given radio state: which picture cells go where, and what happens
// to the two static texts that share the display. Pure data, so the rules are testable natively;
// app/win32/SkinPainter turns a plan into pixels.

#include <cstdint>
#include <vector>

namespace display {

// Picture strips of the readout (resource numbers) and their cell widths.
constexpr int kGlyphs = 387;        // 0..9 digits, 10..35 letters A..Z; 21 wide
constexpr int kPoint = 412;         // one picture, 13 wide
constexpr int kBandLabel = 385;     // 35 wide, cell = band
constexpr int kUnitLabel = 390;     // 29 wide, 0 kHz, 1 MHz
constexpr int kPresetNumber = 388;  // 37 wide, cell n-1
constexpr int kStereo = 391;        // 43 wide
constexpr int kSignal = 399;        // 56 wide
constexpr int kBanner = 422;        // one picture, 240 wide

int CellWidth(int bitmapId);  // the picture's width for one-picture strips; 0 for unknown ids

struct Rect {
  int left, top, right, bottom;
};
// Everything the indicators can touch; invalidating it repaints the readout.
constexpr Rect kReadoutRect{33, 74, 498, 140};

struct CellDraw {
  int bitmapId;
  int cell;  // 0 for whole pictures
  int x, y;
  bool operator==(const CellDraw&) const = default;
};

struct IndicatorState {
  bool playing = false;
  bool recording = false;
  bool deviceOpen = false;
  std::uint8_t band = 1;  // 0 AM, 1 FM, 2 SW
  std::uint16_t frequency = 0;  // of the current band
  std::uint8_t preset = 0;
  std::uint8_t stereo = 0;
  std::uint8_t signal = 0;
};

enum class StaticChange { Unchanged, Show, Hide };
enum class NameChange { Empty, FromPreset };

struct IndicatorPlan {
  std::vector<CellDraw> draws;     // in drawing order
  StaticChange fileText = StaticChange::Unchanged;  // static 1130
  NameChange presetName = NameChange::Empty;        // static 1120
};

IndicatorPlan PlanIndicators(const IndicatorState& state);

// The frequency digits alone (step 4), exposed for the readout tests.
std::vector<CellDraw> FrequencyDraws(std::uint8_t band, std::uint16_t frequency);

}  // namespace display
