// Selector captions, the station list and the timer list rows, from an in-memory tree.
#include <gtest/gtest.h>

#include <string>

#include "device/BandPlan.h"
#include "settings/MemoryKeyValueTree.h"
#include "settings/SettingsStore.h"
#include "settings/TimerDialogTexts.h"
#include "settings/TimerSetting.h"

namespace {

const std::string kRoot = std::string(kSettingsRoot) + "\\";

class TimerTextsTest : public ::testing::Test {
 protected:
  void Plant(int n, const char* name, const std::string& text) {
    char key[32];
    std::snprintf(key, sizeof key, "TIMER_SETTING%02d", n);
    tree.PlantString(kRoot + key, name, text);
  }
  MemoryKeyValueTree tree;
  SettingsStore store{tree, [] { return LocalDate{2026, 12, 7}; }};
};

TEST(TimerTexts, PickersAreReadWithTheirWeekdayAndOnTheDayClock) {
  // Weekdays across a leap day, a turn of the year and the first Gregorian years Windows keeps.
  EXPECT_EQ(SpokenDate({2026, 12, 7}), "Monday 7 December 2026");
  EXPECT_EQ(SpokenDate({2024, 2, 29}), "Thursday 29 February 2024");
  EXPECT_EQ(SpokenDate({2027, 1, 1}), "Friday 1 January 2027");
  EXPECT_EQ(SpokenDate({1601, 1, 1}), "Monday 1 January 1601");
  EXPECT_EQ(SpokenDate({2026, 13, 1}), "2026-13-01");  // out of the calendar: its numbers
  EXPECT_EQ(SpokenTime({7, 0, 0}), "07:00:00");
  EXPECT_EQ(SpokenTime({23, 59, 5}), "23:59:05");
}

TEST(TimerTexts, SelectorCaptionsShowNamesAsTyped) {
  EXPECT_EQ(ReservationButtonText("", 3), "Reserve record 3");
  EXPECT_EQ(ReservationButtonText("  \t", 16), "Reserve record 16");
  EXPECT_EQ(ReservationButtonText(" Jazz & Blues ", 1), "Jazz && Blues");
  EXPECT_EQ(ReservationButtonText("&&", 1), "&&&&");
  EXPECT_STREQ(TimerUnitText(BandFM), "Mhz");
  EXPECT_STREQ(TimerUnitText(BandSW), "Khz");
}

TEST_F(TimerTextsTest, StationListAndTheChoiceItMakes) {
  tree.PlantString(kRoot + "CH_SET_AM_EUR", "CH02_ID", "Talk");
  tree.PlantString(kRoot + "CH_SET_AM_EUR", "CH02_FRQ", "603");
  StationList am = LoadStationList(store, BandAM, RegionEurope);
  ASSERT_EQ(am.entries.size(), 13u);
  EXPECT_EQ(am.entries[0], "Appointed");
  EXPECT_EQ(am.entries[1], "Channel01  522");
  EXPECT_EQ(am.entries[2], "Talk  603");
  StationList fm = LoadStationList(store, BandFM, RegionJapan);
  EXPECT_EQ(fm.entries[12], "Channel12 7600");
  StationList sw = LoadStationList(store, BandSW, RegionUSA);
  EXPECT_EQ(sw.entries[1], "Channel01  2300");

  // Every Japan FM preset holds 7600: the last one is chosen and the field is locked to it.
  StationChoice choice = ChooseStation(fm, "7600", BandFM, false);
  EXPECT_EQ(choice.selection, 12);
  EXPECT_EQ(choice.frequency, "7600");
  EXPECT_FALSE(choice.editable);
  // Stored texts must match exactly.
  choice = ChooseStation(am, "0603", BandAM, false);
  EXPECT_EQ(choice.selection, 0);
  EXPECT_EQ(choice.frequency, "0603");
  EXPECT_TRUE(choice.editable);
  // After a band change an appointed field starts from the band's default.
  EXPECT_EQ(ChooseStation(fm, "1000", BandFM, true).frequency, "87.50");
  EXPECT_EQ(ChooseStation(am, "8750", BandAM, true).frequency, "520");
  EXPECT_EQ(ChooseStation(sw, "9999", BandSW, true).frequency, "2300");
}

TEST_F(TimerTextsTest, ListRowsFromFreshAndEditedReservations) {
  // A fresh reservation: weekly on Sunday, 00:00:00 to 00:01:00, FM 8750, 128 kbit/s, off.
  TimerListRow fresh = ReadTimerListRow(store, 16);
  EXPECT_EQ(fresh, (TimerListRow{"Reserve 16", "", "FM", "8750 Mhz", "SUN ", "00:00:00", "00:01:00", "128 Kbps",
                                 "OFF"}));

  Plant(4, "ITEM", " Morning news ");
  Plant(4, "NAME", "Appointed");
  Plant(4, "ISAMFM", "0");
  Plant(4, "FREQ", "1620");
  Plant(4, "DATETYPE", "0");
  Plant(4, "DATE", "20261224");
  Plant(4, "STARTTIME", "063000");
  Plant(4, "ENDSTART", "0715");
  Plant(4, "QUALITY", "3");
  Plant(4, "ACTIVE", "1");
  EXPECT_EQ(ReadTimerListRow(store, 4), (TimerListRow{"Morning news", "", "AM", "1620 Khz", "2026-12-24",
                                                      "06:30:00", "07:15", "64  Kps", "ON"}));

  Plant(5, "NAME", "Channel03");
  Plant(5, "ISAMFM", "7");
  Plant(5, "FREQ", "9500");
  Plant(5, "WEEK", "0111111x");
  Plant(5, "QUALITY", "0");
  Plant(5, "ACTIVE", "2");  // on for the scheduler, but the list shows only exactly "1"
  const TimerListRow row = ReadTimerListRow(store, 5);
  EXPECT_EQ(row[1], "Channel03");
  EXPECT_EQ(row[2], "SW");
  EXPECT_EQ(row[3], "9500 Khz");
  EXPECT_EQ(row[4], "MON TUE WED THE FRI SAT ");
  EXPECT_EQ(row[7], "320 Kbps");
  EXPECT_EQ(row[8], "OFF");

  const auto rows = ReadTimerListRows(store);
  ASSERT_EQ(rows.size(), 16u * 9);
  EXPECT_EQ(rows[0], "Reserve 1");
  EXPECT_EQ(rows[3 * 9], "Morning news");
  EXPECT_EQ(rows[15 * 9 + 8], "OFF");
}

}  // namespace
