// What the PC settings dialog reads, shows and writes, against an in-memory tree.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/PcSettings.h"
#include "settings/PowerSettings.h"
#include "tests/native/SettingsTreeKit.h"

namespace {

using namespace settings_kit;

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

}  // namespace
