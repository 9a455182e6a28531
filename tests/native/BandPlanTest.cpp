#include <gtest/gtest.h>

#include "device/BandPlan.h"

namespace {

struct WrapCase {
  uint8_t band, region;
  uint16_t from;
  bool up;
  uint16_t to;
};

TEST(BandPlan, LimitsOfEveryRowIncludingOutOfRangeRegions) {
  auto eq = [](BandLimits l, uint16_t lo, uint16_t hi, uint16_t st) {
    return l.lower == lo && l.upper == hi && l.step == st;
  };
  EXPECT_TRUE(eq(GetBandLimits(BandFM, RegionUSA), 8750, 10790, 20));
  EXPECT_TRUE(eq(GetBandLimits(BandFM, RegionEurope), 8750, 10800, 10));
  EXPECT_TRUE(eq(GetBandLimits(BandFM, RegionJapan), 7600, 9000, 10));
  EXPECT_TRUE(eq(GetBandLimits(BandAM, RegionUSA), 520, 1710, 10));
  EXPECT_TRUE(eq(GetBandLimits(BandAM, RegionEurope), 522, 1710, 9));
  EXPECT_TRUE(eq(GetBandLimits(BandAM, RegionJapan), 522, 1629, 9));
  for (uint8_t r : {0, 1, 2, 7})
    EXPECT_TRUE(eq(GetBandLimits(BandSW, r), 2300, 23000, 5));
  // A hand-edited region: FM falls to Europe, AM to USA; a band above 2 is SW.
  EXPECT_TRUE(eq(GetBandLimits(BandFM, 3), 8750, 10800, 10));
  EXPECT_TRUE(eq(GetBandLimits(BandFM, 255), 8750, 10800, 10));
  EXPECT_TRUE(eq(GetBandLimits(BandAM, 3), 520, 1710, 10));
  EXPECT_TRUE(eq(GetBandLimits(9, RegionUSA), 2300, 23000, 5));
}

TEST(BandPlan, StepsWrapToTheOppositeEdgeAtEveryBandAndRegion) {
  const WrapCase cases[] = {
      {BandFM, RegionUSA, 10790, true, 8750},   {BandFM, RegionUSA, 8750, false, 10790},
      {BandFM, RegionUSA, 8750, true, 8770},    {BandFM, RegionEurope, 10800, true, 8750},
      {BandFM, RegionEurope, 8750, false, 10800}, {BandFM, RegionJapan, 9000, true, 7600},
      {BandFM, RegionJapan, 7600, false, 9000}, {BandAM, RegionEurope, 1710, true, 522},
      {BandAM, RegionUSA, 520, false, 1710},    {BandAM, RegionUSA, 1710, true, 520},
      {BandAM, RegionJapan, 1629, true, 522},   {BandAM, RegionJapan, 522, false, 1629},
      {BandSW, RegionJapan, 23000, true, 2300}, {BandSW, RegionUSA, 2300, false, 23000},
      {BandSW, RegionEurope, 2300, true, 2305},
  };
  for (const auto& c : cases) {
    const uint16_t got = c.up ? StepFrequencyUp(c.from, c.band, c.region) : StepFrequencyDown(c.from, c.band, c.region);
    EXPECT_EQ(got, c.to) << "band " << int(c.band) << " region " << int(c.region) << " from " << c.from;
  }
}

TEST(BandPlan, OffGridValuesKeepTheirOffsetUntilTheyWrap) {
  TuningState t;
  t.band = BandFM;
  t.region = RegionUSA;
  t.freqFm = 8760;
  t.StepUp();
  EXPECT_EQ(t.freqFm, 8780);
  t.StepUp();
  EXPECT_EQ(t.freqFm, 8800);
  t.freqFm = 10780;  // off grid: 10800 is past the edge, so it wraps to the lower edge exactly
  t.StepUp();
  EXPECT_EQ(t.freqFm, 8750);
  t.freqFm = 8760;
  t.Clamp();
  EXPECT_EQ(t.freqFm, 8760);
  // Stepping down from 0 must not wrap through 16-bit arithmetic into a huge value.
  t.freqFm = 0;
  t.StepDown();
  EXPECT_EQ(t.freqFm, 10790);
}

TEST(BandPlan, ClampForcesStoredValuesIntoTheCurrentRegion) {
  EXPECT_EQ(ClampFrequency(0, BandFM, RegionJapan), 7600);
  EXPECT_EQ(ClampFrequency(0, BandFM, RegionUSA), 8750);
  EXPECT_EQ(ClampFrequency(65535, BandFM, RegionEurope), 10800);
  EXPECT_EQ(ClampFrequency(9500, BandFM, RegionJapan), 9000);
  EXPECT_EQ(ClampFrequency(1000, BandAM, RegionJapan), 1000);
  EXPECT_EQ(ClampFrequency(100, BandSW, RegionJapan), 2300);
}

TEST(BandPlan, EdgeTestIsExactEquality) {
  EXPECT_TRUE(IsAtBandEdge(10790, BandFM, RegionUSA, BandEdge::Upper));
  EXPECT_FALSE(IsAtBandEdge(10795, BandFM, RegionUSA, BandEdge::Upper));  // beyond is not at
  EXPECT_FALSE(IsAtBandEdge(10790, BandFM, RegionUSA, BandEdge::Lower));
  EXPECT_TRUE(IsAtBandEdge(522, BandAM, RegionEurope, BandEdge::Lower));
  EXPECT_TRUE(IsAtBandEdge(23000, BandSW, 0, BandEdge::Upper));
}

TEST(BandPlan, RegistersAreKeptPerBand) {
  TuningState t;
  t.freqFm = 8000;
  t.freqAm = 600;
  t.freqSw = 5000;
  t.band = BandAM;
  EXPECT_EQ(t.CurrentFrequency(), 600);
  t.band = BandSW;
  t.StepUp();
  EXPECT_EQ(t.freqSw, 5005);
  EXPECT_EQ(t.freqFm, 8000);
  EXPECT_EQ(t.freqAm, 600);
}

std::string Shown(uint16_t v, uint8_t band) {
  const ReadoutDigits d = FrequencyReadoutDigits(v, band);
  std::string s;
  for (int i = 0; i < 5; ++i) {
    s += d.digit[i] < 0 ? '_' : static_cast<char>('0' + d.digit[i]);
    if (i == 2 && d.decimalPoint) s += '.';
  }
  return s;
}

TEST(BandPlan, TextForms) {
  EXPECT_EQ(Shown(8750, BandFM), "_87.50");
  EXPECT_EQ(Shown(10790, BandFM), "107.90");
  EXPECT_EQ(Shown(520, BandAM), "__520");
  EXPECT_EQ(Shown(999, BandAM), "__999");
  EXPECT_EQ(Shown(1710, BandAM), "_1710");
  EXPECT_EQ(Shown(2300, BandSW), "_2300");
  EXPECT_EQ(Shown(23000, BandSW), "23000");
  EXPECT_EQ(Shown(522, BandSW), "_0522");  // SW leaves out only the ten-thousands digit
  EXPECT_EQ(FrequencySettingsText(8750), "8750");
  EXPECT_EQ(RecordingNameFrequency(522), "0522");
  EXPECT_EQ(RecordingNameFrequency(23000), "23000");
  EXPECT_EQ(TimerListFrequencyText("8750", BandFM), "8750 Mhz");
  EXPECT_EQ(TimerListFrequencyText("522", BandAM), "522 Khz");
  EXPECT_STREQ(FrequencyUnitText(BandFM), "MHz");
  EXPECT_STREQ(FrequencyUnitText(BandSW), "kHz");
}

}  // namespace
