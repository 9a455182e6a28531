// A reservation written into the registry, recorded by the real kestrune.exe: the file lands in
// the reservation's folder under its start time at its bit rate and decodes to about the
// reserved time, the station in use before comes back, and "close after recording" ends the
// program.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/win32/SingleInstance.h"
#include "resources/resource.h"
#include "schedule/ScheduleReport.h"
#include "schedule/ScheduleTable.h"
#include "tests/support/AudioMp3Scan.h"
#include "tests/win/AudioWineDecode.h"
#include "tests/win/ProgramProcess.h"

namespace {


void SetString(const std::string& subkey, const char* name, const std::string& value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, ("Software\\KESTRUNE\\" + subkey).c_str(), &key), ERROR_SUCCESS);
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(key);
}

std::string GetString(const std::string& subkey, const char* name) {
  char buffer[256] = {};
  DWORD size = sizeof buffer - 1;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, ("Software\\KESTRUNE\\" + subkey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return {};
  RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  return buffer;
}

// The texts of the message boxes a process shows, to say why it did not finish.
std::string MessageBoxTexts(DWORD processId) {
  struct Search {
    DWORD processId;
    std::string texts;
  } search{processId, {}};
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(context);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        char name[32] = {};
        GetClassNameA(window, name, sizeof name);
        if (owner == s.processId && std::string(name) == "#32770") {
          char text[256] = {};
          GetDlgItemTextA(window, 0xFFFF, text, sizeof text);
          s.texts += std::string(" [") + text + "]";
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.texts;
}

LocalTime LocalNow() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wDayOfWeek, t.wHour, t.wMinute, t.wSecond};
}

TEST(ScheduledRecordingProcess, ReservationRecordsIntoItsFolderRestoresTheStationAndCloses) {
  const std::string exe = ExePath();
  if (GetFileAttributesA(exe.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "kestrune.exe not built";
  const std::string unixFolder = wine_decode::UnixOutputFolder() + "/scheduled-" + std::to_string(GetCurrentProcessId());
  const std::string folder = wine_decode::WindowsPath(unixFolder);
  CreateDirectoryA(wine_decode::WindowsPath(wine_decode::UnixOutputFolder()).c_str(), nullptr);
  CreateDirectoryA(folder.c_str(), nullptr);
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  ASSERT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) << folder;

  // Starts 10 s from now (never across midnight, where the date would change under the test).
  LocalTime start = LocalNow();
  if (start.hour == 23 && start.minute == 59 && start.second > 40) {
    Sleep(25000);
    start = LocalNow();
  }
  start = CivilTime(CivilSeconds(start) + 10);
  const LocalTime stop = CivilTime(CivilSeconds(start) + 5);

  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\KESTRUNE");
  for (auto [name, value] : {std::pair{"FM", "1"}, {"COUNTRY", "2"}, {"FREQ", "7810"}, {"FREQ_AM", "594"},
                             {"WAKEUP", "3"}, {"AUTOSPEND", "3"}, {"CLOSE", "1"}, {"SHUTDOWN", "0"},
                             {"STANDBY", "0"}})
    SetString("FM_AM_SETTING", name, value);
  SetString("FM_AM_SETTING", "RECORDFOLDER", folder);
  const std::string timer = "TIMER_SETTING03";
  for (auto [name, value] : {std::pair{"ITEM", "Wine News"}, {"ACTIVE", "1"}, {"ISAMFM", "1"}, {"FREQ", "8000"},
                             {"QUALITY", "3"}, {"DATETYPE", "0"}})
    SetString(timer, name, value);
  SetString(timer, "DATE", DateText(start));
  SetString(timer, "STARTTIME", TimeText(start));
  SetString(timer, "ENDSTART", TimeText(stop));

  const UniqueHandle process = StartProgram(exe);
  ASSERT_TRUE(process);
  const DWORD waited = WaitForSingleObject(process.Get(), 60000);
  std::string boxes;
  if (waited != WAIT_OBJECT_0) {
    boxes = MessageBoxTexts(GetProcessId(process.Get()));
    TerminateProcess(process.Get(), 1);
  }
  ASSERT_EQ(waited, WAIT_OBJECT_0) << "the program did not close after the recording; message boxes:" << boxes;

  const std::string name = DateText(start) + "_" + TimeText(start) + ".mp3";
  const std::vector<uint8_t> bytes = ReadWholeFile(folder + "\\Wine News\\" + name);
  ASSERT_FALSE(bytes.empty()) << "no " << name << " in the reservation's folder";
  const Mp3StreamInfo info = ScanMp3Frames(bytes);
  EXPECT_TRUE(info.valid) << info.problem;
  EXPECT_EQ(info.bitrateKbps, 64);
  EXPECT_EQ(info.sampleRate, 44100);
  // Stopped in the first tick after 5 s have passed: between 5 and 7 s of sound.
  const double seconds = info.frames * 1152.0 / 44100.0;
  EXPECT_GT(seconds, 4.5);
  EXPECT_LT(seconds, 8.0);
  // mpg123 decodes it to the same length.
  const std::vector<int16_t> pcm = wine_decode::DecodeMp3(unixFolder + "/Wine News/" + name);
  EXPECT_NEAR(pcm.size() / 2 / 44100.0, seconds, 0.1);

  EXPECT_EQ(GetString("FM_AM_SETTING", "FREQ"), "7810") << "the station before the reservation was not restored";
  EXPECT_EQ(GetString("FM_AM_SETTING", "FM"), "1");

  DeleteFileA((folder + "\\Wine News\\" + name).c_str());
  RemoveDirectoryA((folder + "\\Wine News").c_str());
  RemoveDirectoryA(folder.c_str());
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\KESTRUNE");
}

// Started at log-on in the tray: the program runs hidden with its tray icon, a second start in the
// tray leaves it so and a plain one shows it; the reservation that fell while it was not running
// is in the log, and the end of the run is kept for the next start's report.
TEST(ScheduledRecordingProcess, ATrayStartRunsHiddenReportsAMissedReservationAndAPlainStartShowsIt) {
  const std::string exe = ExePath();
  if (GetFileAttributesA(exe.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "kestrune.exe not built";
  ASSERT_EQ(FindRunningInstance(), nullptr);
  const std::string folder =
      wine_decode::WindowsPath(wine_decode::UnixOutputFolder() + "/tray-" + std::to_string(GetCurrentProcessId()));
  CreateDirectoryA(wine_decode::WindowsPath(wine_decode::UnixOutputFolder()).c_str(), nullptr);
  CreateDirectoryA(folder.c_str(), nullptr);
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\KESTRUNE");
  for (auto [name, value] : {std::pair{"FM", "1"}, {"COUNTRY", "2"}, {"FREQ", "7810"}, {"CLOSE", "0"}})
    SetString("FM_AM_SETTING", name, value);
  SetString("FM_AM_SETTING", "RECORDFOLDER", folder);
  const LocalTime now = LocalNow();
  const LocalTime missedAt = CivilTime(CivilSeconds(now) - 1800);
  SetString("FM_AM_SETTING", kLastRunningValue, StampText(CivilTime(CivilSeconds(now) - 3600)));
  for (auto [name, value] : {std::pair{"ITEM", "Missed News"}, {"ACTIVE", "1"}, {"ISAMFM", "1"}, {"FREQ", "8000"},
                             {"QUALITY", "2"}, {"DATETYPE", "0"}})
    SetString("TIMER_SETTING01", name, value);
  SetString("TIMER_SETTING01", "DATE", DateText(missedAt));
  SetString("TIMER_SETTING01", "STARTTIME", TimeText(missedAt));
  SetString("TIMER_SETTING01", "ENDSTART", TimeText(CivilTime(CivilSeconds(missedAt) + 600)));

  auto within = [](DWORD ms, const auto& done) {
    for (DWORD waited = 0; !done() && waited < ms; waited += 100) Sleep(100);
    return done();
  };
  const UniqueHandle first = StartProgram(exe, "/tray");
  ASSERT_TRUE(first);
  HWND window = WaitForMainWindow(20000);
  ASSERT_NE(window, nullptr);
  NOTIFYICONDATAA probe{};
  probe.cbSize = NOTIFYICONDATAA_V2_SIZE;
  probe.hWnd = window;
  probe.uID = 415;
  EXPECT_TRUE(within(5000, [&] { return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE; })) << "no tray icon";
  EXPECT_FALSE(IsWindowVisible(window));

  EXPECT_EQ(WaitForExit(StartProgram(exe, "/tray").Get(), 20000), 0u);
  EXPECT_FALSE(IsWindowVisible(window)) << "a second start in the tray showed the window";
  EXPECT_EQ(WaitForExit(StartProgram(exe).Get(), 20000), 0u);
  EXPECT_TRUE(within(5000, [&] { return IsWindowVisible(window) != FALSE; })) << "a plain second start did not show it";

  const std::string line = "Missed \"Missed News\" of " + ShortDateTime(missedAt) + ": Kestrune was not running";
  std::string log;
  EXPECT_TRUE(within(10000, [&] {
    const std::vector<uint8_t> bytes = ReadWholeFile(folder + "\\" + kLogFileName);
    log.assign(bytes.begin(), bytes.end());
    return log.find(line) != std::string::npos;
  })) << log;

  PostMessageA(window, WM_COMMAND, ID_EXIT, 0);
  EXPECT_EQ(WaitForSingleObject(first.Get(), 20000), WAIT_OBJECT_0) << MessageBoxTexts(GetProcessId(first.Get()));
  LocalTime kept;
  ASSERT_TRUE(ParseStamp(GetString("FM_AM_SETTING", kLastRunningValue), kept));
  EXPECT_GE(CivilSeconds(kept), CivilSeconds(now));
  DeleteFileA((folder + "\\" + kLogFileName).c_str());
  RemoveDirectoryA(folder.c_str());
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\KESTRUNE");
}

}  // namespace
