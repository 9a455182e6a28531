#include <gtest/gtest.h>

#include <algorithm>

#include "app/ButtonSkinTable.h"
#include "app/DisplayLayout.h"
#include "app/DisplayTexts.h"

using namespace display;

namespace {
std::vector<std::pair<int, int>> DigitsAt(const std::vector<CellDraw>& draws) {
  std::vector<std::pair<int, int>> out;  // (x, cell); the point as cell -1
  for (const CellDraw& d : draws) out.push_back({d.x, d.bitmapId == kPoint ? -1 : d.cell});
  return out;
}
using XC = std::vector<std::pair<int, int>>;
}  // namespace

TEST(Readout, FmDigitsPointAndBlankHundreds) {
  EXPECT_EQ(DigitsAt(FrequencyDraws(1, 8750)), (XC{{194, 8}, {215, 7}, {236, -1}, {251, 5}, {272, 0}}));
  EXPECT_EQ(DigitsAt(FrequencyDraws(1, 10800)), (XC{{173, 1}, {194, 0}, {215, 8}, {236, -1}, {251, 0}, {272, 0}}));
  EXPECT_EQ(DigitsAt(FrequencyDraws(1, 10000)), (XC{{173, 1}, {194, 0}, {215, 0}, {236, -1}, {251, 0}, {272, 0}}));
  for (const CellDraw& d : FrequencyDraws(1, 8750)) EXPECT_EQ(d.y, 74);
}

TEST(Readout, AmDropsLeadingZerosSwKeepsThousands) {
  EXPECT_EQ(DigitsAt(FrequencyDraws(0, 999)), (XC{{215, 9}, {236, 9}, {257, 9}}));
  EXPECT_EQ(DigitsAt(FrequencyDraws(0, 1000)), (XC{{194, 1}, {215, 0}, {236, 0}, {257, 0}}));
  EXPECT_EQ(DigitsAt(FrequencyDraws(0, 522)).size(), 3u);
  EXPECT_EQ(DigitsAt(FrequencyDraws(2, 2300)), (XC{{194, 2}, {215, 3}, {236, 0}, {257, 0}}));
  EXPECT_EQ(DigitsAt(FrequencyDraws(2, 999)), (XC{{194, 0}, {215, 9}, {236, 9}, {257, 9}}));
  EXPECT_EQ(DigitsAt(FrequencyDraws(2, 23000)).front(), (std::pair{173, 2}));
}

TEST(Indicators, FullReadoutOrderAndCells) {
  IndicatorState s;
  s.deviceOpen = true;
  s.band = 1;
  s.frequency = 8750;
  s.preset = 10;
  s.stereo = 1;
  s.signal = 4;
  const IndicatorPlan plan = PlanIndicators(s);
  EXPECT_EQ(plan.fileText, StaticChange::Hide);
  EXPECT_EQ(plan.presetName, NameChange::FromPreset);
  ASSERT_EQ(plan.draws.size(), 11u);
  EXPECT_EQ(plan.draws[0], (CellDraw{kBanner, 0, 41, 120}));
  EXPECT_EQ(plan.draws[6], (CellDraw{kPresetNumber, 9, 331, 85}));
  EXPECT_EQ(plan.draws[7], (CellDraw{kBandLabel, 1, 138, 76}));
  EXPECT_EQ(plan.draws[8], (CellDraw{kUnitLabel, 1, 293, 85}));
  EXPECT_EQ(plan.draws[9], (CellDraw{kStereo, 1, 40, 86}));
  EXPECT_EQ(plan.draws[10], (CellDraw{kSignal, 4, 84, 85}));

  s.preset = 9;
  EXPECT_EQ(PlanIndicators(s).draws[6], (CellDraw{kPresetNumber, 8, 341, 85}));
  s.preset = 0;
  s.band = 2;
  s.frequency = 2300;
  s.stereo = 7;
  const auto sw = PlanIndicators(s).draws;
  EXPECT_TRUE(std::none_of(sw.begin(), sw.end(), [](const CellDraw& d) { return d.bitmapId == kPresetNumber; }));
  EXPECT_TRUE(std::any_of(sw.begin(), sw.end(), [](const CellDraw& d) { return d == CellDraw{kUnitLabel, 0, 293, 85}; }));
  EXPECT_TRUE(std::any_of(sw.begin(), sw.end(), [](const CellDraw& d) { return d == CellDraw{kStereo, 0, 40, 86}; }));
  s.band = 5;
  const auto odd = PlanIndicators(s).draws;
  EXPECT_TRUE(std::any_of(odd.begin(), odd.end(), [](const CellDraw& d) { return d == CellDraw{kBandLabel, 2, 138, 76}; }));
}

TEST(Indicators, PlaybackRecordingAndNoDevice) {
  IndicatorState s;
  s.playing = true;
  s.deviceOpen = true;
  IndicatorPlan plan = PlanIndicators(s);
  EXPECT_EQ(plan.draws, (std::vector<CellDraw>{{kGlyphs, 22, 243, 75}, {kGlyphs, 25, 264, 75}, {kGlyphs, 3, 285, 75}}));
  EXPECT_EQ(plan.fileText, StaticChange::Show);
  EXPECT_EQ(plan.presetName, NameChange::Empty);

  s.playing = false;
  s.deviceOpen = false;
  plan = PlanIndicators(s);
  EXPECT_TRUE(plan.draws.empty());
  EXPECT_EQ(plan.fileText, StaticChange::Show);
  EXPECT_EQ(plan.presetName, NameChange::Empty);

  s.deviceOpen = true;
  s.recording = true;
  plan = PlanIndicators(s);
  EXPECT_EQ(plan.fileText, StaticChange::Unchanged);
  EXPECT_TRUE(std::none_of(plan.draws.begin(), plan.draws.end(), [](const CellDraw& d) { return d.bitmapId == kBanner; }));
}

TEST(ButtonSkinTable, LayoutSharedListsAndBehaviour) {
  const auto skins = ButtonSkins();
  EXPECT_EQ(skins.size(), 31u);
  const ButtonSkin* p12 = FindButtonSkin(1012);
  ASSERT_NE(p12, nullptr);
  EXPECT_EQ(p12->x, 65 + 35 * 11);
  EXPECT_EQ(p12->normal, 22);
  EXPECT_EQ(p12->pushed, 23);
  EXPECT_TRUE(FindButtonSkin(999)->hidden);
  EXPECT_TRUE(FindButtonSkin(1019)->autoRepeat);
  EXPECT_TRUE(FindButtonSkin(1020)->autoRepeat);
  EXPECT_FALSE(FindButtonSkin(1018)->autoRepeat);
  EXPECT_EQ(FindButtonSkin(1014)->listGroup, FindButtonSkin(1015)->listGroup);
  EXPECT_NE(FindButtonSkin(1022)->listGroup, FindButtonSkin(1023)->listGroup);  // own list for Play
  EXPECT_EQ(FindButtonSkin(1000)->transparent, kKeyGreen);
  EXPECT_EQ(FindButtonSkin(1026)->width, 24);
  for (const ButtonSkin& s : skins) {
    EXPECT_GT(s.cellWidth, 0);
    EXPECT_LE(s.x + s.width, 535) << s.id;
    EXPECT_LE(s.y + s.height, 252) << s.id;
  }
  // The display's texts: inside the glass (30, 69)-(503, 147), clear of the digits and the
  // preset number, and of each other.
  for (const TextPlacement& t : kTextPlaces) {
    EXPECT_GE(t.x, 30) << t.id;
    EXPECT_GE(t.y, 69) << t.id;
    EXPECT_LE(t.x + t.width, 503) << t.id;
    EXPECT_LE(t.y + t.height, 147) << t.id;
    const bool besideDigits = t.x >= 293 + 29 || t.y >= 74 + 30;
    EXPECT_TRUE(besideDigits) << t.id;
    for (const TextPlacement& o : kTextPlaces) {
      if (&o == &t) continue;
      EXPECT_TRUE(t.x + t.width <= o.x || o.x + o.width <= t.x || t.y + t.height <= o.y || o.y + o.height <= t.y)
          << t.id << " " << o.id;
    }
  }
  EXPECT_EQ(StereoButtonCells(1), (CellPair{1, 3}));
  EXPECT_EQ(StereoButtonCells(0), (CellPair{0, 2}));
  EXPECT_EQ(MuteButtonCells(true), (CellPair{0, 0}));
  EXPECT_EQ(RecordButtonCells(3), (CellPair{3, 3}));
  EXPECT_EQ(RecordButtonCells(4), (CellPair{2, 2}));
  EXPECT_EQ(AutoRepeatDelayMs(1), 500);
  EXPECT_EQ(AutoRepeatIntervalMs(31), 10000 / 335);
  EXPECT_EQ(AutoRepeatIntervalMs(0), 400);
}

TEST(DisplayTexts, TipsPresetTipsAndRecordingClock) {
  EXPECT_STREQ(ButtonTip(1000, 0), "Presets Dwon");
  EXPECT_STREQ(ButtonTip(1019, 0), "Tune  Down");
  EXPECT_STREQ(ButtonTip(1032, 1), "Stereo");
  EXPECT_STREQ(ButtonTip(1032, 0), "Mono");
  EXPECT_EQ(ButtonTip(1022, 0), nullptr);
  EXPECT_EQ(PresetTip(1, 1, "Channel01", "8750"), "Channel01 : 87.50Mhz");
  EXPECT_EQ(PresetTip(3, 0, "  \t", "1710"), "CH03 : 1710Khz");
  EXPECT_EQ(PresetTip(12, 2, " BBC ", "9410"), "BBC : 9410Khz");
  EXPECT_EQ(PresetTip(2, 1, "x", "5"), "x : .5Mhz");
  EXPECT_EQ(RecordingTimeText("REC 15Min", 187), "REC 15Min   00:03:07");
  EXPECT_EQ(RecordingTimeText("", 3600 * 2 + 61), "REC    02:01:01");
}
