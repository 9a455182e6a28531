// What the preferences dialog reads, shows and writes, against an in-memory tree.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/BandPlan.h"
#include "settings/Preferences.h"
#include "tests/native/SettingsTreeKit.h"

namespace {

using namespace settings_kit;

TEST(PreferencesText, PresetFieldsAndTheStoredRate) {
  EXPECT_EQ(PresetFieldText("8750", BandFM), "87.50");
  EXPECT_EQ(PresetFieldText(" 10790 ", BandFM), "107.90");
  EXPECT_EQ(PresetFieldText("875", BandFM), "875");
  EXPECT_EQ(PresetFieldText("", BandFM), "");
  EXPECT_EQ(PresetFieldText("1620", BandAM), "1620");
  EXPECT_EQ(PresetFieldText("23000", BandSW), "23000");
  EXPECT_EQ(FormatEntryForStoredRate("0"), 0);
  EXPECT_EQ(FormatEntryForStoredRate("3"), 3);
  // What the recorder makes of a rate it does not know is what the dialog shows.
  EXPECT_EQ(FormatEntryForStoredRate("9"), 2);
  EXPECT_EQ(FormatEntryForStoredRate("-1"), 2);
  EXPECT_EQ(FormatEntryForStoredRate("258"), 2);  // a byte of 2
  EXPECT_EQ(FormatEntryForStoredRate(""), 0);
}

class PreferencesTest : public ::testing::Test {
 protected:
  MemoryKeyValueTree tree;
  SettingsStore store{tree};
  RecordedMessages messages;
};

TEST_F(PreferencesTest, ListsFollowTheRegionAndKeepTheFolderAsStored) {
  tree.PlantString(kRoot + "CH_SET_FM_USA", "CH03_ID", "Jazz & Blues");
  tree.PlantString(kRoot + "CH_SET_FM_USA", "CH03_FRQ", "10170");
  tree.PlantString(kGeneral, "MP3BPS", "1");
  tree.PlantString(kGeneral, "RECORDFOLDER", " D:\\Rec ");
  PreferencesForm form;
  form.region = RegionUSA;
  LoadPreferenceLists(store, form);
  EXPECT_EQ(form.format, 1);
  EXPECT_EQ(form.folder, " D:\\Rec ");
  EXPECT_EQ(form.fm[2].name, "Jazz & Blues");
  EXPECT_EQ(form.fm[2].frequency, "101.70");
  EXPECT_EQ(form.fm[0].frequency, "87.50");
  EXPECT_EQ(form.am[0].frequency, "520");
  EXPECT_EQ(form.sw[11].name, "Channel12");
  EXPECT_EQ(form.sw[11].frequency, "2300");
  form.region = RegionJapan;
  LoadPreferenceLists(store, form);
  EXPECT_EQ(form.fm[2].name, "Channel03");
  EXPECT_EQ(form.fm[2].frequency, "76.00");
  EXPECT_EQ(form.am[0].frequency, "522");
}

TEST_F(PreferencesTest, SaveWritesEveryValueInOrderWithNormalisedFrequencies) {
  PreferencesForm form;
  form.region = RegionEurope;
  LoadPreferenceLists(store, form);
  form.format = 3;
  form.folder = "D:\\Radio";
  form.fm[0] = {"Classic", "87.5"};
  form.fm[1] = {"News", "107.9"};
  form.am[11] = {"Talk", " 1710 "};
  tree.ClearJournal();
  ASSERT_TRUE(SaveAll(store, form, messages));
  EXPECT_TRUE(messages.shown.empty());
  const auto writes = Writes(tree);
  ASSERT_EQ(writes.size(), 3u + 3 * 24);
  EXPECT_EQ(writes[0], "FM_AM_SETTING:COUNTRY=1");
  EXPECT_EQ(writes[1], "FM_AM_SETTING:MP3BPS=3");
  EXPECT_EQ(writes[2], "FM_AM_SETTING:RECORDFOLDER=D:\\Radio");
  EXPECT_EQ(writes[3], "CH_SET_FM_EUR:CH01_ID=Classic");
  EXPECT_EQ(writes[4], "CH_SET_FM_EUR:CH01_FRQ=8750");
  EXPECT_EQ(writes[6], "CH_SET_FM_EUR:CH02_FRQ=10790");
  EXPECT_EQ(writes[27], "CH_SET_AM_EUR:CH01_ID=Channel01");
  EXPECT_EQ(writes[50], "CH_SET_AM_EUR:CH12_FRQ=1710");
  EXPECT_EQ(writes[51], "CH_SET_SW:CH01_ID=Channel01");
  EXPECT_EQ(writes.back(), "CH_SET_SW:CH12_FRQ=2300");
}

TEST_F(PreferencesTest, AnInvalidFrequencyStopsTheSaveWhereItStands) {
  PreferencesForm form;
  form.region = RegionUSA;
  LoadPreferenceLists(store, form);
  form.fm[0].name = "First";
  form.fm[1] = {"Second", "87.6"};  // off the USA grid of 200 kHz
  form.fm[2].name = "Third";
  ASSERT_FALSE(SaveAll(store, form, messages));
  EXPECT_EQ(messages.shown, std::vector<std::string>{"frequency 87.6 setting error!"});
  EXPECT_EQ(Stored(tree, "CH_SET_FM_USA", "CH01_ID"), "First");
  EXPECT_EQ(Stored(tree, "CH_SET_FM_USA", "CH02_ID"), "Second");  // the name went before the check
  EXPECT_EQ(Stored(tree, "CH_SET_FM_USA", "CH02_FRQ"), "8750");
  EXPECT_EQ(Stored(tree, "CH_SET_FM_USA", "CH03_ID"), "Channel03");

  // An emptied field is refused with the field's text between the two halves of the message.
  messages.shown.clear();
  form.fm[1].frequency = "87.7";
  form.sw[4].frequency = "";
  ASSERT_FALSE(SaveAll(store, form, messages));
  EXPECT_EQ(messages.shown, std::vector<std::string>{"frequency  setting error!"});
  EXPECT_EQ(Stored(tree, "CH_SET_FM_USA", "CH02_FRQ"), "8770");
}

}  // namespace
