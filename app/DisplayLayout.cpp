#include "app/DisplayLayout.h"

#include "device/BandPlan.h"

namespace display {

namespace {
constexpr int kDigitY = 74;
// Left edges of the ten-thousands down to the units digit; FM moves the last two past the point.
constexpr int kDigitX[5] = {173, 194, 215, 236, 257};
constexpr int kFmDigitX[5] = {173, 194, 215, 251, 272};
constexpr int kFmPointX = 236;
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
  // Which digits show is the band plan's readout rule; this only places them.
  const ReadoutDigits r = FrequencyReadoutDigits(f, band);
  const int* xs = r.decimalPoint ? kFmDigitX : kDigitX;
  std::vector<CellDraw> out;
  for (int i = 0; i < 5; ++i) {
    if (r.digit[i] >= 0) out.push_back({kGlyphs, r.digit[i], xs[i], kDigitY});
    if (i == 2 && r.decimalPoint) out.push_back({kPoint, 0, kFmPointX, kDigitY});
  }
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
