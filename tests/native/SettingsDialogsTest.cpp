// What the PC settings and preferences dialogs read, show and write, against an in-memory tree.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/BandPlan.h"
#include "settings/MemoryKeyValueTree.h"
#include "settings/PcSettings.h"
#include "settings/PowerSettings.h"
#include "settings/Preferences.h"
#include "settings/SettingsStore.h"

namespace {

const std::string kGeneral = std::string(kSettingsRoot) + "\\" + kGeneralKey;
const std::string kRoot = std::string(kSettingsRoot) + "\\";

struct RecordedMessages : IDialogMessage {
  std::vector<std::string> shown;
  void Show(const std::string& text) override { shown.push_back(text); }
};

// "key:name=text" of every value written since the journal was cleared.
std::vector<std::string> Writes(const MemoryKeyValueTree& tree) {
  std::vector<std::string> out;
  for (const auto& c : tree.Journal())
    if (c.kind == MemoryKeyValueTree::Change::ValueSet)
      out.push_back(c.path.substr(kRoot.size()) + ":" + c.name + "=" + c.data.substr(0, c.data.find('\0')));
  return out;
}

std::string Stored(const MemoryKeyValueTree& tree, const std::string& key, const std::string& name) {
  auto value = tree.GetValue(kRoot + key, name);
  return value && value->Text() ? *value->Text() : "<missing>";
}

class PcSettingsTest : public ::testing::Test {
 protected:
  MemoryKeyValueTree tree;
  SettingsStore store{tree};
};

TEST_F(PcSettingsTest, FreshSettingsShowNothingTickedAndWriteTheSameBackInOrder) {
  PcSettingsChoice choice = LoadPcSettingsChoice(store);
  EXPECT_FALSE(choice.wakeUp);
  EXPECT_EQ(choice.wakeLead, 0);  // "5 min" shown
  EXPECT_FALSE(choice.autoSuspend);
  EXPECT_FALSE(choice.standbyAfter || choice.shutdownAfter || choice.closeAfter);
  EXPECT_TRUE(choice.letWindowsStart);  // on by default, though no key has the value yet
  tree.ClearJournal();
  SavePcSettingsChoice(store, choice);
  EXPECT_EQ(Writes(tree), (std::vector<std::string>{"FM_AM_SETTING:STANDBY=0", "FM_AM_SETTING:SHUTDOWN=0",
                                                    "FM_AM_SETTING:CLOSE=0", "FM_AM_SETTING:AUTOSPEND=3",
                                                    "FM_AM_SETTING:WAKEUP=3", "FM_AM_SETTING:TASKSTART=1"}));
}

TEST_F(PcSettingsTest, LetWindowsStartIsOffOnlyWhenStoredSo) {
  // Missing, emptied by a plain read, or a number other than 0: on. "0" (also " 0"): off.
  const std::pair<const char*, bool> cases[] = {{"", true}, {"1", true}, {"7", true}, {"x", false},
                                                {"0", false}, {" 0 ", false}};
  EXPECT_TRUE(LoadLetWindowsStart(store));
  for (const auto& [text, on] : cases) {
    tree.PlantString(kGeneral, kLetWindowsStartValue, text);
    EXPECT_EQ(LoadLetWindowsStart(store), on) << '"' << text << '"';
    EXPECT_EQ(LoadPcSettingsChoice(store).letWindowsStart, on) << '"' << text << '"';
    EXPECT_EQ(LoadPowerSettings(store).letWindowsStart, on) << '"' << text << '"';
  }
  PcSettingsChoice choice = LoadPcSettingsChoice(store);
  choice.letWindowsStart = true;
  SavePcSettingsChoice(store, choice);
  EXPECT_EQ(Stored(tree, kGeneralKey, kLetWindowsStartValue), "1");
}

TEST_F(PcSettingsTest, StoredValuesComeBackAsTheyWere) {
  tree.PlantString(kGeneral, "WAKEUP", "1");
  tree.PlantString(kGeneral, "AUTOSPEND", "0");
  tree.PlantString(kGeneral, "STANDBY", "1");
  tree.PlantString(kGeneral, "CLOSE", "1");
  PcSettingsChoice choice = LoadPcSettingsChoice(store);
  EXPECT_TRUE(choice.wakeUp);
  EXPECT_EQ(choice.wakeLead, 1);
  EXPECT_TRUE(choice.autoSuspend);
  EXPECT_EQ(choice.suspendChoice, 0);
  EXPECT_EQ(AutoSuspendValue(choice), 0);  // keeps the computer awake
  // No precedence here: both boxes show what is stored.
  EXPECT_TRUE(choice.standbyAfter);
  EXPECT_TRUE(choice.closeAfter);
  SavePcSettingsChoice(store, choice);
  EXPECT_EQ(Stored(tree, kGeneralKey, "WAKEUP"), "1");
  EXPECT_EQ(Stored(tree, kGeneralKey, "AUTOSPEND"), "0");
  EXPECT_EQ(Stored(tree, kGeneralKey, "STANDBY"), "1");
  EXPECT_EQ(Stored(tree, kGeneralKey, "CLOSE"), "1");

  // A lead chosen with the box cleared is not a wake-up; nor is a value the list does not have.
  choice.wakeUp = false;
  choice.wakeLead = 2;
  SavePcSettingsChoice(store, choice);
  EXPECT_EQ(Stored(tree, kGeneralKey, "WAKEUP"), "3");
  tree.PlantString(kGeneral, "WAKEUP", "-1");
  tree.PlantString(kGeneral, "AUTOSPEND", "7");
  choice = LoadPcSettingsChoice(store);
  EXPECT_FALSE(choice.wakeUp);
  EXPECT_EQ(choice.wakeLead, 0);
  EXPECT_FALSE(choice.autoSuspend);
}

TEST_F(PcSettingsTest, AtMostOneAfterRecordingBoxCanBeTickedByHand) {
  PcSettingsChoice choice;
  ClickAfterBox(choice, AfterBox::Standby);
  EXPECT_TRUE(choice.standbyAfter);
  ClickAfterBox(choice, AfterBox::Shutdown);
  EXPECT_TRUE(choice.shutdownAfter);
  EXPECT_FALSE(choice.standbyAfter);
  ClickAfterBox(choice, AfterBox::Close);
  EXPECT_TRUE(choice.closeAfter);
  EXPECT_FALSE(choice.shutdownAfter);
  ClickAfterBox(choice, AfterBox::Close);  // a second click clears it
  EXPECT_FALSE(choice.closeAfter || choice.shutdownAfter || choice.standbyAfter);
  // Clearing one of two stored boxes leaves the other.
  choice.standbyAfter = choice.closeAfter = true;
  ClickAfterBox(choice, AfterBox::Standby);
  EXPECT_FALSE(choice.standbyAfter);
  EXPECT_TRUE(choice.closeAfter);
}

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
