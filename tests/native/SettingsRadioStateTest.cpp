#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/MemoryKeyValueTree.h"
#include "settings/RadioState.h"
#include "settings/SettingsStore.h"

namespace {

using namespace std::string_literals;
const std::string kGeneral = "Software\\KESTRUNE\\FM_AM_SETTING";
LocalDate PinnedDate() { return LocalDate{2024, 3, 9}; }

std::vector<std::string> ValuesSet(const MemoryKeyValueTree& tree) {
  std::vector<std::string> out;
  for (const auto& c : tree.Journal())
    if (c.kind == MemoryKeyValueTree::Change::ValueSet) out.push_back(c.name + "=" + c.data);
  return out;
}

TEST(SettingsRadioState, FirstRunStartsOnJapanFm7600) {
  MemoryKeyValueTree tree;
  SettingsStore store(tree, PinnedDate);
  RadioState state = LoadRadioState(store);
  EXPECT_EQ(state.band, BandFM);
  EXPECT_EQ(state.region, RegionJapan);
  EXPECT_EQ(state.freqFm, 7600);
  EXPECT_EQ(state.freqAm, 522);
  EXPECT_EQ(state.freqSw, 2300);
  EXPECT_EQ(state.volume, 50);
  EXPECT_EQ(state.mp3Rate, 2);
  EXPECT_EQ(state.stereo, 1);
  EXPECT_EQ(state.recordFolder, "C:\\RadioREC");
  EXPECT_EQ(LoadAfterRecording(store), AfterRecording::None);
  EXPECT_EQ(store.ReadNumber(kGeneralKey, "WAKEUP"), 3);
}

TEST(SettingsRadioState, ReadsInOrderRecreatingMissingValuesEmpty) {
  MemoryKeyValueTree tree;
  SettingsStore store(tree, PinnedDate);
  ASSERT_TRUE(tree.RemoveKey(kGeneral));
  tree.ClearJournal();
  RadioState state = LoadRadioState(store);
  EXPECT_EQ(ValuesSet(tree), (std::vector<std::string>{"FM=\0"s, "COUNTRY=\0"s, "FREQ_AM=\0"s, "FREQ=\0"s,
                                                         "FREQ_SW=\0"s, "VOLUME=\0"s, "MP3BPS=\0"s, "STEREO=\0"s,
                                                         "RECORDFOLDER=\0"s}));
  EXPECT_EQ(state.band, BandFM);
  EXPECT_EQ(state.region, 0);
  EXPECT_EQ(state.volume, 0);
  EXPECT_EQ(state.mp3Rate, 0);
  EXPECT_EQ(state.recordFolder, "C:\\RadioREC");
}

TEST(SettingsRadioState, ClampsOutOfRangeValues) {
  MemoryKeyValueTree tree;
  SettingsStore store(tree, PinnedDate);
  auto load = [&](const char* name, const std::string& text) {
    tree.PlantString(kGeneral, name, text);
    return LoadRadioState(store);
  };
  EXPECT_EQ(load("FM", "5").band, BandSW);
  EXPECT_EQ(load("FM", "-1").band, BandSW);
  EXPECT_EQ(load("FM", "").band, BandFM);
  EXPECT_EQ(load("FM", "0").band, BandAM);
  EXPECT_EQ(load("FM", "256").band, BandAM);  // as a byte
  EXPECT_EQ(load("VOLUME", "150").volume, 100);
  EXPECT_EQ(load("VOLUME", "100").volume, 100);
  EXPECT_EQ(load("VOLUME", "-20").volume, 0);
  EXPECT_EQ(load("MP3BPS", "7").mp3Rate, 2);
  EXPECT_EQ(load("MP3BPS", "3").mp3Rate, 3);
  EXPECT_EQ(load("MP3BPS", "-1").mp3Rate, 2);
  EXPECT_EQ(load("MP3BPS", "257").mp3Rate, 1);
  EXPECT_EQ(load("COUNTRY", "258").region, 2);
  EXPECT_EQ(load("COUNTRY", "7").region, 2);
  EXPECT_EQ(load("COUNTRY", "3").region, 2);
  EXPECT_EQ(load("COUNTRY", "-1").region, 2);
  EXPECT_EQ(load("COUNTRY", "257").region, 1);
  EXPECT_EQ(load("FREQ", "70000").freqFm, 70000 - 65536);
  EXPECT_EQ(load("FREQ_AM", "1710kHz").freqAm, 1710);
  EXPECT_EQ(load("RECORDFOLDER", " \t  ").recordFolder, "C:\\RadioREC");
  EXPECT_EQ(load("RECORDFOLDER", "  D:\\My Rec \r\n").recordFolder, "D:\\My Rec");
}

TEST(SettingsRadioState, NonTextOrOversizedValuesLoadAsEmpty) {
  MemoryKeyValueTree tree;
  SettingsStore store(tree, PinnedDate);
  tree.Plant(kGeneral, "FM", kValueDword, "\x00\0\0\0"s);
  tree.Plant(kGeneral, "VOLUME", kValueBinary, "\x96"s);
  tree.Plant(kGeneral, "RECORDFOLDER", kValueString, std::string(10000, 'C'));
  RadioState state = LoadRadioState(store);
  EXPECT_EQ(state.band, BandFM);
  EXPECT_EQ(state.volume, 0);
  EXPECT_EQ(state.recordFolder, "C:\\RadioREC");
}

TEST(SettingsRadioState, SavesSevenValuesInOrder) {
  MemoryKeyValueTree tree;
  SettingsStore store(tree, PinnedDate);
  tree.ClearJournal();
  RadioState state;
  state.band = BandAM;
  state.region = RegionEurope;
  state.freqAm = 1611;
  state.freqFm = 10800;
  state.freqSw = 9505;
  state.volume = 0;
  state.mp3Rate = 0;
  state.stereo = 1;
  state.recordFolder = "E:\\x";
  SaveRadioState(store, state);
  EXPECT_EQ(ValuesSet(tree), (std::vector<std::string>{"FM=0\0"s, "FREQ=10800\0"s, "FREQ_SW=9505\0"s, "STEREO=1\0"s,
                                                         "FREQ_AM=1611\0"s, "COUNTRY=1\0"s, "VOLUME=0\0"s}));
  RadioState back = LoadRadioState(store);
  EXPECT_EQ(back.freqFm, 10800);
  EXPECT_EQ(back.recordFolder, "C:\\RadioREC");  // the folder is the preferences dialog's
}

TEST(SettingsRadioState, AfterRecordingPrecedence) {
  EXPECT_EQ(ResolveAfterRecording(true, true, true), AfterRecording::Shutdown);
  EXPECT_EQ(ResolveAfterRecording(true, false, true), AfterRecording::Shutdown);
  EXPECT_EQ(ResolveAfterRecording(false, true, true), AfterRecording::Close);
  EXPECT_EQ(ResolveAfterRecording(false, false, true), AfterRecording::Standby);
  EXPECT_EQ(ResolveAfterRecording(false, false, false), AfterRecording::None);

  MemoryKeyValueTree tree;
  SettingsStore store(tree, PinnedDate);
  tree.PlantString(kGeneral, "SHUTDOWN", "1");
  tree.PlantString(kGeneral, "STANDBY", "1");
  EXPECT_EQ(LoadAfterRecording(store), AfterRecording::Shutdown);
  tree.PlantString(kGeneral, "SHUTDOWN", "0");
  tree.PlantString(kGeneral, "CLOSE", "1");
  EXPECT_EQ(LoadAfterRecording(store), AfterRecording::Close);
  tree.PlantString(kGeneral, "CLOSE", "junk");
  EXPECT_EQ(LoadAfterRecording(store), AfterRecording::Standby);
}

}  // namespace
