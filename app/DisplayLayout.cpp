#include "app/DisplayLayout.h"

namespace display {

namespace {
constexpr int kDigitY = 74;
constexpr int kX4 = 173, kX3 = 194, kX2 = 215, kX1 = 236, kX0 = 257;
constexpr int kFmPointX = 236, kFmX1 = 251, kFmX0 = 272;
}  // namespace

int CellWidth(int bitmapId) {
  switch (bitmapId) {
    case kGlyphs: return 21;
    case kPoint: return 13;
    case kBanner: return 240;
    case kBandLabel: return 35;
    case kUnitLabel: return 29;
    case kPresetNumber: return 37;
    case kStereo: return 43;
    case kSignal: return 56;
    default: return 0;
  }
}

std::vector<CellDraw> FrequencyDraws(std::uint8_t band, std::uint16_t f) {
  const int d4 = f / 10000, d3 = (f / 1000) % 10, d2 = (f / 100) % 10, d1 = (f / 10) % 10, d0 = f % 10;
  std::vector<CellDraw> out;
  auto digit = [&](int d, int x) { out.push_back({kGlyphs, d, x, kDigitY}); };
  if (d4 != 0) digit(d4, kX4);
  if (band == 1) {
    digit(d3, kX3);
    digit(d2, kX2);
    out.push_back({kPoint, 0, kFmPointX, kDigitY});
    digit(d1, kFmX1);
    digit(d0, kFmX0);
    return out;
  }
  // AM drops a leading zero in the thousands; SW always shows it (2300 and 0999 alike).
  if (band != 0 || d3 != 0) digit(d3, kX3);
  digit(d2, kX2);
  digit(d1, kX1);
  digit(d0, kX0);
  return out;
}

IndicatorPlan PlanIndicators(const IndicatorState& s) {
  IndicatorPlan plan;
  if (s.playing) {
    plan.draws = {{kGlyphs, 22, 243, 75}, {kGlyphs, 25, 264, 75}, {kGlyphs, 3, 285, 75}};
    plan.fileText = StaticChange::Show;
    plan.presetName = NameChange::Empty;
    return plan;
  }
  if (!s.recording) {
    if (s.deviceOpen) {
      plan.fileText = StaticChange::Hide;
      plan.draws.push_back({kBanner, 0, 41, 120});
    } else {
      plan.fileText = StaticChange::Show;
    }
  }
  if (!s.deviceOpen) {
    plan.presetName = NameChange::Empty;
    return plan;
  }
  for (const CellDraw& d : FrequencyDraws(s.band, s.frequency)) plan.draws.push_back(d);
  if (s.preset >= 1 && s.preset <= 12)
    plan.draws.push_back({kPresetNumber, s.preset - 1, s.preset >= 10 ? 331 : 341, 85});
  plan.draws.push_back({kBandLabel, s.band > 2 ? 2 : s.band, 138, 76});
  plan.draws.push_back({kUnitLabel, s.band == 1 ? 1 : 0, 293, 85});
  plan.draws.push_back({kStereo, s.stereo > 1 ? 0 : s.stereo, 40, 86});
  plan.presetName = NameChange::FromPreset;
  plan.draws.push_back({kSignal, s.signal, 84, 85});
  return plan;
}

}  // namespace display
