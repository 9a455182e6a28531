#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/InstanceLockRule.h"
#include "app/StartEntry.h"

namespace {

const std::wstring kExe = L"C:\\Users\\Иван\\AppData\\Local\\Programs\\Kestrune\\kestrune.exe";
const std::wstring kSpaced = L"C:\\Program Files\\Kestrune\\kestrune.exe";
const std::wstring kNone;

TEST(StartEntry, ARunValueNamesThisCopyOnlyByItsWholePathCaseAside) {
  struct Case {
    const wchar_t* command;
    const std::wstring& exe;
    bool names;
  };
  const Case cases[] = {
      {L"\"C:\\Users\\Иван\\AppData\\Local\\Programs\\Kestrune\\kestrune.exe\" /tray", kExe, true},
      {L"\"C:\\Users\\Иван\\AppData\\Local\\Programs\\Kestrune\\kestrune.exe\"", kExe, true},
      {L"\"C:\\Users\\Иван\\AppData\\Local\\Programs\\Kestrune\\kestrune.exe\"/tray", kExe, true},
      {L"C:\\Users\\Иван\\AppData\\Local\\Programs\\Kestrune\\kestrune.exe /tray", kExe, true},
      {L"C:\\Users\\Иван\\AppData\\Local\\Programs\\Kestrune\\kestrune.exe", kExe, true},
      {L" \t\"C:\\Users\\Иван\\AppData\\Local\\Programs\\Kestrune\\kestrune.exe\" /tray", kExe, true},
      {L"\"c:\\USERS\\ИВАН\\appdata\\LOCAL\\programs\\KESTRUNE\\KESTRUNE.EXE\" /TRAY", kExe, true},
      {L"C:\\Program Files\\Kestrune\\kestrune.exe /tray", kSpaced, true},
      {L"\"C:\\Program Files\\Kestrune\\kestrune.exe\" /tray", kSpaced, true},
      {L"\"D:\\Kestrune\\kestrune.exe\" /tray", kExe, false},
      {L"\"C:\\Users\\Иван\\AppData\\Local\\Programs\\Kestrune\\kestrune.exe.old\" /tray", kExe, false},
      {L"C:\\Users\\Иван\\AppData\\Local\\Programs\\Kestrune\\kestrune.exe2 /tray", kExe, false},
      {L"\"C:\\Users\\Иванa\\AppData\\Local\\Programs\\Kestrune\\kestrune.exe\" /tray", kExe, false},
      {L"\"C:\\Users\\Иван\\AppData\\Local\\Programs\\Kestrune\\kestrune.exe /tray", kExe, false},
      {L"\"\" C:\\Users\\Иван\\AppData\\Local\\Programs\\Kestrune\\kestrune.exe", kExe, false},
      {L"C:\\Program /tray", kSpaced, false},
      {L"", kExe, false},
      {L"   ", kExe, false},
      {L"\"", kExe, false},
      {L"\x01\xFFFF garbage \"", kExe, false},
      {L"\"\" /tray", kNone, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(StartCommandNames(c.command, c.exe), c.names) << "case " << &c - cases;
}

TEST(StartEntry, StartupAppsRecordSwitchesOffOnAnOddFirstByteAndBackOnKeepingItsFlags) {
  struct Case {
    std::vector<uint8_t> record;
    bool disables;
    uint8_t enabledFirst;
  };
  const Case cases[] = {
      {{0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, false, 0x02},
      {{0x06, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, false, 0x06},
      {{0x03, 0, 0, 0, 0xD4, 0x0D, 0x43, 0x8D, 0xC8, 0x3B, 0xD9, 0x01}, true, 0x02},
      {{0x07, 0, 0, 0, 0x71, 0xC9, 0x33, 0xAE, 0x16, 0xD9, 0xD1, 0x01}, true, 0x06},
      {{0x03}, true, 0x02},
      {{}, false, 0x02},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StartupApprovedDisables(c.record), c.disables) << int(c.record.empty() ? -1 : c.record[0]);
    const auto enabled = StartupApprovedEnabled(c.record);
    EXPECT_FALSE(StartupApprovedDisables(enabled));
    EXPECT_EQ(std::vector<uint8_t>(enabled.begin(), enabled.end()),
              std::vector<uint8_t>({c.enabledFirst, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  }
}

// A copy started as administrator makes the session's lock with a DACL a normal copy's token does
// not pass: refused, the normal copy must not count itself as the first and run beside it. (Wine
// does not check a named mutex's DACL, so this path is not reached there.)
TEST(InstanceLockRule, ALockThatIsThereOpenedOrRefusedIsAnotherCopys) {
  struct Case {
    LockAnswer answer;
    bool first;
  };
  const Case cases[] = {{LockAnswer::Made, true},
                        {LockAnswer::AlreadyThere, false},
                        {LockAnswer::Refused, false},
                        {LockAnswer::Failed, true}};
  for (const Case& c : cases) EXPECT_EQ(IsFirstCopy(c.answer), c.first) << static_cast<int>(c.answer);
}

}  // namespace
