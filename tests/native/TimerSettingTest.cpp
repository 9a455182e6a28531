#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "settings/MemoryKeyValueTree.h"
#include "settings/TimerSetting.h"

namespace {

const std::string kTimer3 = "Software\\KESTRUNE\\TIMER_SETTING03";

struct Messages : IDialogMessage {
  std::vector<std::string> shown;
  void Show(const std::string& text) override { shown.push_back(text); }
};

struct TimerRig {
  MemoryKeyValueTree tree;
  SettingsStore store{tree, [] { return LocalDate{2026, 12, 6}; }};
  Messages messages;
  TimerSetting Load(int n = 3) { return LoadReservation(store, n, {2031, 1, 2}, {7, 8, 9}); }
  std::string Get(const std::string& name) { return store.ReadValue(TimerKey(3), name); }
  void Put(const std::string& name, const std::string& text) { tree.PlantString(kTimer3, name, text); }
};

TEST(TimerSetting, FrequencyTextIsCheckedOnTheRegionsGridAndStoredAsOneInteger) {
  const std::tuple<const char*, uint8_t, uint8_t, bool, const char*> cases[] = {
      {"87.5", RegionEurope, BandFM, true, "8750"},     {"87.50", RegionEurope, BandFM, true, "8750"},
      {" 8750 ", RegionEurope, BandFM, true, "8750"},   {"87.55", RegionEurope, BandFM, false, "8755"},
      {"87.6", RegionUSA, BandFM, false, "8760"},       {"87.7", RegionUSA, BandFM, true, "8770"},
      {"107.9", RegionUSA, BandFM, true, "10790"},      {"108", RegionUSA, BandFM, false, "108"},
      {"76.0", RegionJapan, BandFM, true, "7600"},      {"90.1", RegionJapan, BandFM, false, "9010"},
      {"87", RegionEurope, BandFM, false, "87"},        {"1620", RegionJapan, BandAM, true, "1620"},
      {"1630", RegionJapan, BandAM, false, "1630"},     {"531", RegionEurope, BandAM, true, "531"},
      {"530", RegionUSA, BandAM, true, "530"},          {"530", 7, BandAM, true, "530"},
      {"108.00", 7, BandFM, true, "10800"},             {"2302", RegionUSA, BandSW, false, "2302"},
      {"2305", RegionJapan, BandSW, true, "2305"},      {"23000", RegionJapan, BandSW, true, "23000"},
      {"2305", RegionJapan, 3, false, "2305"},          {"", RegionJapan, BandFM, false, ""},
      {"   ", RegionJapan, BandFM, false, ""},          {"-87.5", RegionEurope, BandFM, false, "-8750"},
      {"0087.5", RegionEurope, BandFM, true, "8750"},   {"abc", RegionEurope, BandFM, false, "abc"},
      {"99999999999", RegionEurope, BandFM, false, "99999999999"},
  };
  for (const auto& [typed, region, band, passes, stored] : cases) {
    std::string text = typed;
    EXPECT_EQ(NormaliseFrequencyText(text, region, band), passes) << typed;
    EXPECT_EQ(text, stored) << typed;
  }
  EXPECT_EQ(FrequencyErrorMessage("87.55"), "frequency 87.55 setting error!");
  EXPECT_EQ(FrequencyErrorMessage(""), "frequency  setting error!");
}

TEST(TimerSetting, FreshKeyReadsAsAnInactiveSundayReservationOnFm) {
  TimerRig rig;
  const TimerSetting t = rig.Load();
  EXPECT_EQ(t.item, "");
  EXPECT_EQ(t.active, 0);
  EXPECT_EQ(t.band, BandFM);
  EXPECT_EQ(t.frequency, "8750");
  EXPECT_EQ(t.quality, 2);
  EXPECT_EQ(t.dateType, 1);
  EXPECT_EQ(t.date.year, 2026);
  EXPECT_EQ(t.date.day, 6);
  EXPECT_EQ(t.week, (std::array<bool, 7>{true, false, false, false, false, false, false}));
  EXPECT_EQ((std::tuple{t.start.hour, t.start.minute, t.start.second}), std::tuple(0, 0, 0));
  EXPECT_EQ((std::tuple{t.stop.hour, t.stop.minute, t.stop.second}), std::tuple(0, 1, 0));
  EXPECT_EQ(t.station, "");
}

TEST(TimerSetting, HandEditedValuesFallBackAsTheDialogShowsThem) {
  TimerRig rig;
  rig.Put("ITEM", "  News  ");
  rig.Put("ACTIVE", "7");
  rig.Put("ISAMFM", " -1");
  rig.Put("FREQ", "");
  rig.Put("QUALITY", "9");
  rig.Put("DATETYPE", "5");
  rig.Put("DATE", "2026120");
  rig.Put("WEEK", "0x00001");
  rig.Put("STARTTIME", "2330");
  rig.Put("ENDSTART", "001500xx");
  TimerSetting t = rig.Load();
  EXPECT_EQ(t.item, "News");
  EXPECT_EQ(t.active, 1);
  EXPECT_EQ(t.band, BandSW);
  EXPECT_EQ(t.frequency, "");  // only an empty FM frequency shows a default
  EXPECT_EQ(t.quality, 3);
  EXPECT_EQ(t.dateType, 1);
  EXPECT_EQ((std::tuple{t.date.year, t.date.month, t.date.day}), std::tuple(2031, 1, 2));
  EXPECT_EQ(t.week, (std::array<bool, 7>{false, true, false, false, false, false, true}));
  EXPECT_EQ((std::tuple{t.start.hour, t.start.minute, t.start.second}), std::tuple(7, 8, 9));
  EXPECT_EQ((std::tuple{t.stop.hour, t.stop.minute, t.stop.second}), std::tuple(0, 15, 0));

  rig.Put("ISAMFM", "1");
  rig.Put("DATETYPE", "0");
  rig.Put("WEEK", "01");
  t = rig.Load();
  EXPECT_EQ(t.frequency, "87.5");
  EXPECT_EQ(t.dateType, 0);
  EXPECT_EQ(t.week, (std::array<bool, 7>{false, true, false, false, false, false, false}));
}

TimerSetting Edited() {
  TimerSetting t;
  t.item = "  Morning show ";
  t.active = 1;
  t.band = BandFM;
  t.frequency = "89.8";
  t.quality = 0;
  t.dateType = 0;
  t.date = {2026, 12, 24};
  t.week = {false, true, false, true, false, false, true};
  t.start = {23, 30, 0};
  t.stop = {0, 15, 5};
  t.station = "Channel03 8980";
  return t;
}

TEST(TimerSetting, SavedReservationReadsBackAndKeepsTheUnusedSide) {
  TimerRig rig;
  ASSERT_TRUE(SaveReservation(rig.store, 3, Edited(), RegionJapan, rig.messages));
  EXPECT_TRUE(rig.messages.shown.empty());
  EXPECT_EQ(rig.Get("ITEM"), "Morning show");
  EXPECT_EQ(rig.Get("FREQ"), "8980");
  EXPECT_EQ(rig.Get("QUALITY"), "0");
  EXPECT_EQ(rig.Get("DATETYPE"), "0");
  EXPECT_EQ(rig.Get("NAME"), "Channel03");
  EXPECT_EQ(rig.Get("DATE"), "20261224");
  EXPECT_EQ(rig.Get("WEEK"), "1000000");  // a one-date save leaves the weekdays alone
  EXPECT_EQ(rig.Get("STARTTIME"), "233000");
  EXPECT_EQ(rig.Get("ENDSTART"), "001505");

  TimerSetting weekly = Edited();
  weekly.dateType = 1;
  weekly.date = {1999, 1, 1};
  weekly.station = "Appointed";
  ASSERT_TRUE(SaveReservation(rig.store, 3, weekly, RegionJapan, rig.messages));
  EXPECT_EQ(rig.Get("WEEK"), "0101001");
  EXPECT_EQ(rig.Get("DATE"), "20261224");
  EXPECT_EQ(rig.Get("NAME"), "Appointed");

  const TimerSetting back = rig.Load();
  EXPECT_EQ(back.item, "Morning show");
  EXPECT_EQ(back.frequency, "8980");
  EXPECT_EQ(back.week, weekly.week);
  EXPECT_EQ(back.stop.second, 5);

  weekly.station = " odd entry";
  ASSERT_TRUE(SaveReservation(rig.store, 3, weekly, RegionJapan, rig.messages));
  EXPECT_EQ(rig.Get("NAME"), " odd entry");
}

TEST(TimerSetting, FailedFrequencyCheckShowsTheTypedTextAndStopsAfterTheBand) {
  TimerRig rig;
  TimerSetting t = Edited();
  t.frequency = " 87.55";
  EXPECT_FALSE(SaveReservation(rig.store, 3, t, RegionEurope, rig.messages));
  EXPECT_EQ(rig.messages.shown, std::vector<std::string>{"frequency  87.55 setting error!"});
  EXPECT_EQ(rig.Get("ITEM"), "Morning show");
  EXPECT_EQ(rig.Get("ACTIVE"), "1");
  EXPECT_EQ(rig.Get("ISAMFM"), "1");
  EXPECT_EQ(rig.Get("FREQ"), "8750");
  EXPECT_EQ(rig.Get("QUALITY"), "2");
  EXPECT_EQ(rig.Get("STARTTIME"), "000000");
  // The other reservations are untouched.
  EXPECT_EQ(rig.store.ReadValue(TimerKey(4), "ACTIVE"), "0");
  EXPECT_EQ(TimerKey(16), "TIMER_SETTING16");
}

}  // namespace
