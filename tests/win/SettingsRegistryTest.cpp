// The settings store on the real registry of the test prefix.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "settings/RadioState.h"
#include "settings/SettingsStore.h"
#include "settings/win32/RegistryTree.h"

namespace {

using namespace std::string_literals;
LocalDate PinnedDate() { return LocalDate{2031, 12, 1}; }

struct Stored {
  DWORD type;
  std::string data;
};

// Every value of a key as the ANSI registry functions return it.
std::map<std::string, Stored> ValuesOf(const std::string& path) {
  std::map<std::string, Stored> values;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD nameLength = sizeof name;
    BYTE data[8192];
    DWORD size = sizeof data;
    DWORD type = 0;
    if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
    values[name] = Stored{type, std::string(reinterpret_cast<char*>(data), size)};
  }
  RegCloseKey(key);
  return values;
}

DWORD SubkeyCount(const std::string& path) {
  HKEY key = nullptr;
  DWORD count = 0;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                   nullptr);
  RegCloseKey(key);
  return count;
}

void Plant(const std::string& name, DWORD type, const std::string& bytes) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\KESTRUNE\\FM_AM_SETTING", &key), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                           static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

struct RecordedMessages : IDialogMessage {
  std::vector<std::string> shown;
  void Show(const std::string& text) override { shown.push_back(text); }
};

class SettingsRegistry : public ::testing::Test {
 protected:
  void SetUp() override { SHDeleteKeyA(HKEY_CURRENT_USER, kSettingsRoot); }
  void TearDown() override { SHDeleteKeyA(HKEY_CURRENT_USER, kSettingsRoot); }
  RegistryTree tree;
};

void ExpectDefaultTree() {
  const std::string root = "Software\\KESTRUNE\\";
  EXPECT_EQ(SubkeyCount("Software\\KESTRUNE"), 24u);
  auto general = ValuesOf(root + "FM_AM_SETTING");
  const std::map<std::string, std::string> generalDefaults = {
      {"FM", "1"},       {"FREQ", "7600"},   {"MP3BPS", "2"},    {"RECORDFOLDER", "C:\\RadioREC"},
      {"STEREO", "1"},   {"FREQ_AM", "522"}, {"FREQ_SW", "2300"}, {"VOLUME", "50"},
      {"COUNTRY", "2"},  {"WAKEUP", "3"},    {"AUTOSPEND", "3"}, {"CLOSE", "0"},
      {"SHUTDOWN", "0"}, {"STANDBY", "0"}};
  ASSERT_EQ(general.size(), generalDefaults.size());
  for (const auto& [name, text] : generalDefaults) {
    EXPECT_EQ(general[name].type, static_cast<DWORD>(REG_SZ)) << name;
    EXPECT_EQ(general[name].data, text + "\0"s) << name;
  }
  auto sw = ValuesOf(root + "CH_SET_SW");
  ASSERT_EQ(sw.size(), 24u);
  EXPECT_EQ(sw["CH12_ID"].data, "Channel12\0"s);
  EXPECT_EQ(sw["CH07_FRQ"].data, "2300\0"s);
  EXPECT_EQ(ValuesOf(root + "CH_SET_AM_USA")["CH01_FRQ"].data, "520\0"s);
  EXPECT_EQ(ValuesOf(root + "CH_SET_FM_JAP")["CH11_FRQ"].data, "7600\0"s);
  for (const char* timer : {"TIMER_SETTING01", "TIMER_SETTING16"}) {
    auto values = ValuesOf(root + timer);
    ASSERT_EQ(values.size(), 11u) << timer;
    for (const auto& [name, stored] : values) EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ)) << name;
    EXPECT_EQ(values["ITEM"].data, "");
    EXPECT_EQ(values["NAME"].data, "\0"s);
    EXPECT_EQ(values["DATE"].data, "20311201\0"s);
    EXPECT_EQ(values["ENDSTART"].data, "000100\0"s);
  }
}

TEST_F(SettingsRegistry, FirstRunCreatesTheTreeByteForByte) {
  SettingsStore store(tree, PinnedDate);
  ExpectDefaultTree();
  RadioState state = LoadRadioState(store);
  EXPECT_EQ(state.band, BandFM);
  EXPECT_EQ(state.region, RegionJapan);
  EXPECT_EQ(state.freqFm, 7600);
  EXPECT_EQ(state.volume, 50);
  EXPECT_EQ(state.recordFolder, "C:\\RadioREC");
}

TEST_F(SettingsRegistry, HandEditedValuesReadSafelyAndStayAsTheyAre) {
  SettingsStore store(tree, PinnedDate);
  Plant("FM", REG_DWORD, "\x05\0\0\0"s);
  Plant("VOLUME", REG_BINARY, "\x96\x00\x31"s);
  Plant("RECORDFOLDER", REG_SZ, std::string(6000, 'D'));
  Plant("FREQ", REG_SZ, "8990");  // no terminator
  Plant("STEREO", REG_SZ, "0\0" "1\0"s);
  Plant("COUNTRY", REG_SZ, std::string(4095, '1') + "\0"s);
  EXPECT_EQ(store.ReadValue(kGeneralKey, "FM"), "");
  EXPECT_EQ(store.ReadValue(kGeneralKey, "VOLUME"), "");
  EXPECT_EQ(store.ReadValue(kGeneralKey, "RECORDFOLDER"), "");
  EXPECT_EQ(store.ReadValue(kGeneralKey, "FREQ"), "8990");
  EXPECT_EQ(store.ReadValue(kGeneralKey, "STEREO"), "0");
  EXPECT_EQ(store.ReadValue(kGeneralKey, "COUNTRY"), std::string(4095, '1'));
  RadioState state = LoadRadioState(store);
  EXPECT_EQ(state.band, BandFM);
  EXPECT_EQ(state.freqFm, 8990);
  EXPECT_EQ(state.recordFolder, "C:\\RadioREC");
  auto general = ValuesOf("Software\\KESTRUNE\\FM_AM_SETTING");
  EXPECT_EQ(general["FM"].type, static_cast<DWORD>(REG_DWORD));
  // Still the 6000 bytes planted (the ANSI enumeration may append a terminator of its own).
  EXPECT_EQ(general["RECORDFOLDER"].data.substr(0, 6000), std::string(6000, 'D'));
}

TEST_F(SettingsRegistry, DeletedValueReappearsEmptyAndWritesAreTerminatedText) {
  SettingsStore store(tree, PinnedDate);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\KESTRUNE\\FM_AM_SETTING", 0, KEY_ALL_ACCESS, &key),
            ERROR_SUCCESS);
  RegDeleteValueA(key, "VOLUME");
  RegCloseKey(key);
  EXPECT_EQ(store.ReadNumber(kGeneralKey, "VOLUME"), 0);
  auto general = ValuesOf("Software\\KESTRUNE\\FM_AM_SETTING");
  EXPECT_EQ(general["VOLUME"].type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(general["VOLUME"].data, "\0"s);

  store.WriteNumber(kGeneralKey, "FREQ_SW", 15400);
  EXPECT_EQ(ValuesOf("Software\\KESTRUNE\\FM_AM_SETTING")["FREQ_SW"].data, "15400\0"s);
}

TEST_F(SettingsRegistry, ResetDeletesAndRecreatesTheTree) {
  SettingsStore store(tree, PinnedDate);
  store.WriteNumber(kGeneralKey, "VOLUME", 9);
  store.WriteValue("TIMER_SETTING16", "ITEM", "Night news");
  store.WriteValue("STRAY\\DEEPER", "X", "y");
  RecordedMessages messages;
  ASSERT_TRUE(store.ResetToDefaults(messages));
  EXPECT_EQ(messages.shown, std::vector<std::string>{"All data is restore to default!"});
  ExpectDefaultTree();

  // With nothing to delete, nothing is recreated and nothing is shown.
  SHDeleteKeyA(HKEY_CURRENT_USER, kSettingsRoot);
  EXPECT_FALSE(store.ResetToDefaults(messages));
  EXPECT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(SubkeyCount("Software\\KESTRUNE"), 0u);
}

TEST(SettingsNumbers, ConvertAsStrToIntADoes) {
  for (const char* text : {"1099", "4294967319", "+88987", "012", "-55", "-0", "0x44ff", " 1999", "- 55", "--5", "-",
                           "", "12abc", "2147483648", "-2147483648", "7.5", "\t3", "99999999999"})
    EXPECT_EQ(StrToIntLike(text), StrToIntA(text)) << '"' << text << '"';
}

}  // namespace
