#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "settings/MemoryKeyValueTree.h"
#include "settings/SettingsStore.h"

namespace {

using namespace std::string_literals;
const std::string kRoot = "Software\\KESTRUNE\\";
LocalDate PinnedDate() { return LocalDate{2024, 3, 9}; }

struct RecordedMessages : IDialogMessage {
  std::vector<std::string> shown;
  void Show(const std::string& text) override { shown.push_back(text); }
};

// "name=data" for every value set, "+key" for every key created, in journal order.
std::vector<std::string> Changes(const MemoryKeyValueTree& tree) {
  std::vector<std::string> out;
  for (const auto& c : tree.Journal()) {
    if (c.kind == MemoryKeyValueTree::Change::KeyCreated) out.push_back("+" + c.path);
    if (c.kind == MemoryKeyValueTree::Change::ValueSet) {
      EXPECT_EQ(c.type, kValueString) << c.name;
      out.push_back(c.name + "=" + c.data);
    }
  }
  return out;
}

std::vector<std::string> ExpectedFirstRun() {
  std::vector<std::string> out = {"+Software", "+Software\\KESTRUNE", "+Software\\KESTRUNE\\FM_AM_SETTING"};
  for (const char* v : {"FM=1", "FREQ=7600", "MP3BPS=2", "RECORDFOLDER=C:\\RadioREC", "STEREO=1", "FREQ_AM=522",
                        "FREQ_SW=2300", "VOLUME=50", "COUNTRY=2", "WAKEUP=3", "AUTOSPEND=3", "CLOSE=0",
                        "SHUTDOWN=0", "STANDBY=0"})
    out.push_back(v + "\0"s);
  const std::pair<const char*, const char*> presets[] = {
      {"CH_SET_FM_USA", "8750"}, {"CH_SET_FM_EUR", "8750"}, {"CH_SET_FM_JAP", "7600"}, {"CH_SET_AM_USA", "520"},
      {"CH_SET_AM_EUR", "522"},  {"CH_SET_AM_JAP", "522"},  {"CH_SET_SW", "2300"}};
  char buf[64];
  for (const auto& [key, freq] : presets) {
    out.push_back("+" + kRoot + key);
    for (int n = 1; n <= 12; ++n) {
      std::snprintf(buf, sizeof buf, "CH%02d_ID=Channel%02d", n, n);
      out.push_back(buf + "\0"s);
      std::snprintf(buf, sizeof buf, "CH%02d_FRQ=%s", n, freq);
      out.push_back(buf + "\0"s);
    }
  }
  for (int n = 1; n <= 16; ++n) {
    std::snprintf(buf, sizeof buf, "TIMER_SETTING%02d", n);
    out.push_back("+" + kRoot + buf);
    out.push_back("ITEM=");  // no bytes at all
    for (const char* v : {"ACTIVE=0", "ISAMFM=1", "FREQ=8750", "QUALITY=2", "DATETYPE=2", "DATE=20240309",
                          "WEEK=1000000", "STARTTIME=000000", "ENDSTART=000100", "NAME="})
      out.push_back(v + "\0"s);
  }
  return out;
}

TEST(SettingsStore, FirstRunCreatesTheWholeTreeInOrderAndClosesEveryKey) {
  MemoryKeyValueTree tree;
  SettingsStore store(tree, PinnedDate);
  EXPECT_EQ(Changes(tree), ExpectedFirstRun());
  EXPECT_EQ(tree.OpenKeyCount(), 0);
  EXPECT_EQ(tree.GetValue(kRoot + "TIMER_SETTING16", "ITEM")->data.size(), 0u);
  EXPECT_EQ(tree.GetValue(kRoot + "TIMER_SETTING16", "NAME")->data, "\0"s);

  // A second store finds every key and writes nothing.
  tree.ClearJournal();
  SettingsStore again(tree, PinnedDate);
  EXPECT_TRUE(tree.Journal().empty());
}

TEST(SettingsStore, RecreatesOnlyMissingKeysAndLeavesIncompleteKeysAlone) {
  MemoryKeyValueTree tree;
  SettingsStore first(tree, PinnedDate);
  ASSERT_TRUE(tree.RemoveKey(kRoot + "CH_SET_SW"));
  ASSERT_TRUE(tree.RemoveValue(kRoot + "CH_SET_FM_USA", "CH05_ID"));
  tree.PlantString(kRoot + "CH_SET_AM_EUR", "CH01_FRQ", "531");
  tree.ClearJournal();

  SettingsStore second(tree, PinnedDate);
  std::vector<std::string> changes = Changes(tree);
  ASSERT_EQ(changes.size(), 25u);
  EXPECT_EQ(changes[0], "+" + kRoot + "CH_SET_SW");
  EXPECT_EQ(changes[1], "CH01_ID=Channel01\0"s);
  EXPECT_EQ(changes[24], "CH12_FRQ=2300\0"s);
  EXPECT_FALSE(tree.GetValue(kRoot + "CH_SET_FM_USA", "CH05_ID"));
  EXPECT_EQ(second.ReadValue("CH_SET_AM_EUR", "CH01_FRQ"), "531");
}

TEST(SettingsStore, KeysThatRefuseFullAccessKeepTheUsersValues) {
  MemoryKeyValueTree tree;
  SettingsStore first(tree, PinnedDate);
  tree.PlantString(kRoot + "CH_SET_FM_JAP", "CH01_ID", "NHK");
  tree.PlantString(kRoot + "CH_SET_FM_JAP", "CH01_FRQ", "8250");
  tree.PlantString(kRoot + "FM_AM_SETTING", "VOLUME", "12");
  tree.refusedKeys = {kRoot + "CH_SET_FM_JAP", kRoot + "FM_AM_SETTING"};
  ASSERT_TRUE(tree.RemoveKey(kRoot + "CH_SET_SW"));
  tree.ClearJournal();

  SettingsStore second(tree, PinnedDate);
  // Only the key that does not exist comes back with defaults.
  std::vector<std::string> changes = Changes(tree);
  ASSERT_EQ(changes.size(), 25u);
  EXPECT_EQ(changes[0], "+" + kRoot + "CH_SET_SW");
  EXPECT_EQ(tree.GetValue(kRoot + "CH_SET_FM_JAP", "CH01_ID")->Text(), "NHK");
  EXPECT_EQ(tree.GetValue(kRoot + "CH_SET_FM_JAP", "CH01_FRQ")->Text(), "8250");
  // The refused keys still read through the create's fallback open.
  EXPECT_EQ(second.ReadValue("CH_SET_FM_JAP", "CH01_FRQ"), "8250");
  EXPECT_EQ(second.ReadNumber("FM_AM_SETTING", "VOLUME"), 12);

  // A tree that cannot be opened at all is left alone as well.
  tree.refusedKeys.clear();
  tree.failOpen = true;
  tree.ClearJournal();
  SettingsStore third(tree, PinnedDate);
  for (const auto& change : tree.Journal()) EXPECT_NE(change.kind, MemoryKeyValueTree::Change::ValueSet) << change.name;
  EXPECT_EQ(tree.OpenKeyCount(), 0);
}

TEST(SettingsStore, MissingValueReadsEmptyAndReappearsAsEmptyString) {
  MemoryKeyValueTree tree;
  SettingsStore store(tree, PinnedDate);
  ASSERT_TRUE(tree.RemoveValue(kRoot + "FM_AM_SETTING", "VOLUME"));
  EXPECT_EQ(store.ReadValue("FM_AM_SETTING", "VOLUME"), "");
  EXPECT_EQ(store.ReadNumber("FM_AM_SETTING", "VOLUME"), 0);
  auto value = tree.GetValue(kRoot + "FM_AM_SETTING", "VOLUME");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->type, kValueString);
  EXPECT_EQ(value->data, "\0"s);
  // A key deleted by hand comes back on first use too.
  ASSERT_TRUE(tree.RemoveKey(kRoot + "TIMER_SETTING03"));
  EXPECT_EQ(store.ReadValue("TIMER_SETTING03", "FREQ"), "");
  EXPECT_TRUE(tree.HasKey(kRoot + "TIMER_SETTING03"));
  EXPECT_EQ(tree.OpenKeyCount(), 0);
}

TEST(SettingsStore, WritesTextWithTerminatorAndNumbersAsDecimal) {
  MemoryKeyValueTree tree;
  SettingsStore store(tree, PinnedDate);
  store.WriteValue("FM_AM_SETTING", "RECORDFOLDER", "D:\\Rec");
  store.WriteNumber("FM_AM_SETTING", "FREQ", -42);
  store.WriteValue("FM_AM_SETTING", "STEREO", "1\0junk"s);  // a C string ends at its zero
  EXPECT_EQ(tree.GetValue(kRoot + "FM_AM_SETTING", "RECORDFOLDER")->data, "D:\\Rec\0"s);
  EXPECT_EQ(tree.GetValue(kRoot + "FM_AM_SETTING", "FREQ")->data, "-42\0"s);
  EXPECT_EQ(tree.GetValue(kRoot + "FM_AM_SETTING", "STEREO")->data, "1\0"s);
  EXPECT_EQ(store.ReadNumber("FM_AM_SETTING", "FREQ"), -42);
}

TEST(SettingsStore, HandEditedValuesOfEveryShapeReadSafely) {
  MemoryKeyValueTree tree;
  SettingsStore store(tree, PinnedDate);
  const std::string key = kRoot + "FM_AM_SETTING";
  struct Case {
    uint32_t type;
    std::string bytes;
    std::string expected;
  };
  const std::string big(5000, 'x');
  const std::vector<Case> cases = {
      {kValueDword, "\x05\0\0\0"s, ""},
      {kValueBinary, "\x31\x32\xff"s, ""},
      {kValueQword, std::string(8, '\x07'), ""},
      {kValueNone, "42\0"s, ""},
      {kValueString, big, ""},                                    // does not fit the buffer
      {kValueString, std::string(4096, 'y'), std::string(4096, 'y')},  // fits, no terminator
      {kValueString, std::string(4095, 'z') + "\0"s, std::string(4095, 'z')},
      {kValueString, std::string(4096, 'w') + "\0"s, ""},       // terminator makes it 4097
      {kValueString, "150", "150"},                              // not terminated
      {kValueString, "ab\0cd\0"s, "ab"},                         // embedded zero ends the text
      {kValueString, "", ""},
      {kValueString, "\xff\xfe\x80\x01\0"s, "\xff\xfe\x80\x01"},
      {kValueExpandString, "%TEMP%\0"s, "%TEMP%"},
      {kValueMultiString, "first\0second\0\0"s, "first"},
  };
  for (const auto& c : cases) {
    tree.Plant(key, "VOLUME", c.type, c.bytes);
    EXPECT_EQ(store.ReadValue("FM_AM_SETTING", "VOLUME"), c.expected) << c.type << " size " << c.bytes.size();
    // Reading never rewrites a value that exists, whatever its shape.
    EXPECT_EQ(tree.GetValue(key, "VOLUME")->data, c.bytes);
  }
}

TEST(SettingsStore, FailuresOfTheTreeReadEmptyAndWriteNothing) {
  MemoryKeyValueTree tree;
  tree.failOpen = tree.failCreate = true;
  SettingsStore store(tree, PinnedDate);
  EXPECT_FALSE(tree.HasKey("Software"));
  EXPECT_EQ(store.ReadValue("FM_AM_SETTING", "FM"), "");
  store.WriteNumber("FM_AM_SETTING", "FM", 2);
  EXPECT_FALSE(tree.HasKey("Software"));

  // A refused open falls back to create, which opens the existing key.
  tree.failCreate = false;
  tree.PlantString(kRoot + "FM_AM_SETTING", "FM", "2");
  EXPECT_EQ(store.ReadValue("FM_AM_SETTING", "FM"), "2");
  tree.failReads = true;
  EXPECT_EQ(store.ReadValue("FM_AM_SETTING", "FM"), "");
  EXPECT_EQ(tree.GetValue(kRoot + "FM_AM_SETTING", "FM")->data, "2\0"s);
  EXPECT_EQ(tree.OpenKeyCount(), 0);
}

TEST(SettingsStore, ResetDeletesEverythingAndRecreatesOnlyOnSuccess) {
  MemoryKeyValueTree tree;
  SettingsStore store(tree, PinnedDate);
  store.WriteNumber("FM_AM_SETTING", "VOLUME", 7);
  store.WriteValue("CH_SET_FM_JAP", "CH01_ID", "NHK");
  store.WriteValue("TIMER_SETTING05", "ACTIVE", "1");
  tree.PlantString(kRoot + "STRAY\\DEEPER", "X", "y");
  RecordedMessages messages;

  tree.failDelete = true;
  EXPECT_FALSE(store.ResetToDefaults(messages));
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(store.ReadValue("FM_AM_SETTING", "VOLUME"), "7");

  tree.failDelete = false;
  tree.ClearJournal();
  EXPECT_TRUE(store.ResetToDefaults(messages));
  EXPECT_EQ(messages.shown, std::vector<std::string>{"All data is restore to default!"});
  EXPECT_FALSE(tree.HasKey(kRoot + "STRAY"));
  std::vector<std::string> expected = ExpectedFirstRun();
  expected.erase(expected.begin());  // "Software" itself was not deleted
  std::vector<std::string> changes = Changes(tree);
  EXPECT_EQ(changes, expected);
  EXPECT_EQ(store.ReadValue("FM_AM_SETTING", "VOLUME"), "50");
  EXPECT_EQ(store.ReadValue("CH_SET_FM_JAP", "CH01_ID"), "Channel01");

  // Nothing to delete counts as a failed delete.
  ASSERT_TRUE(tree.RemoveKey("Software\\KESTRUNE"));
  EXPECT_FALSE(store.ResetToDefaults(messages));
  EXPECT_EQ(messages.shown.size(), 1u);
}

TEST(SettingsStore, KeyReuseOpensEachKeyOnceAndLetsGoOfItBeforeAReset) {
  MemoryKeyValueTree tree;
  SettingsStore store(tree, PinnedDate);
  RecordedMessages messages;
  {
    SettingsStore::KeyReuse reuse(store);
    const int before = tree.opensSoFar;
    for (int n = 1; n <= 3; ++n) {
      char key[32];
      std::snprintf(key, sizeof key, "TIMER_SETTING%02d", n);
      store.WriteValue(key, "NAME", "Morning");
      EXPECT_EQ(store.ReadValue(key, "NAME"), "Morning");
      EXPECT_EQ(store.ReadValue(key, "FREQ"), "8750");
    }
    EXPECT_EQ(tree.opensSoFar - before, 3);
    EXPECT_EQ(tree.OpenKeyCount(), 1);
    // A reset deletes the tree the held key lived in: what is written afterwards must land in
    // the new tree, not in the deleted key.
    ASSERT_TRUE(store.ResetToDefaults(messages));
    store.WriteValue("TIMER_SETTING03", "NAME", "Evening");
    EXPECT_EQ(tree.GetValue(kRoot + "TIMER_SETTING03", "NAME")->data, "Evening\0"s);
  }
  EXPECT_EQ(tree.OpenKeyCount(), 0);
  // Without one, every value opens its key again.
  const int before = tree.opensSoFar;
  store.ReadValue("TIMER_SETTING01", "NAME");
  store.ReadValue("TIMER_SETTING01", "FREQ");
  EXPECT_EQ(tree.opensSoFar - before, 2);
}

TEST(SettingsStore, NumbersConvertLikeStrToIntA) {
  const std::pair<const char*, int> cases[] = {
      {"1099", 1099}, {"4294967319", 23}, {"+88987", 0}, {"012", 12},      {"-55", -55}, {"-0", 0},
      {"0x44ff", 0},  {" 1999", 0},       {"- 55", 0},   {"--5", 0},       {"-", 0},     {"", 0},
      {"12abc", 12},  {"2147483648", INT_MIN},           {"-2147483648", INT_MIN},       {"7.5", 7}};
  for (const auto& [text, value] : cases) EXPECT_EQ(StrToIntLike(text), value) << text;
}

TEST(SettingsStore, PresetKeysByBandAndRegion) {
  EXPECT_EQ(PresetKey(1, 0), "CH_SET_FM_USA");
  EXPECT_EQ(PresetKey(1, 1), "CH_SET_FM_EUR");
  EXPECT_EQ(PresetKey(1, 2), "CH_SET_FM_JAP");
  EXPECT_EQ(PresetKey(1, 9), "CH_SET_FM_JAP");
  EXPECT_EQ(PresetKey(0, 0), "CH_SET_AM_USA");
  EXPECT_EQ(PresetKey(0, 1), "CH_SET_AM_EUR");
  EXPECT_EQ(PresetKey(0, 255), "CH_SET_AM_JAP");
  EXPECT_EQ(PresetKey(2, 0), "CH_SET_SW");
  EXPECT_EQ(PresetKey(7, 1), "CH_SET_SW");
}

}  // namespace
