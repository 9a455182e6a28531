// The night's log under Wine: its lines land in the record folder in order; those whose folder
// cannot be written (a folder that is not there, a drive letter that is not mapped) land in
// %LOCALAPPDATA%\Kestrune after a line that says why; a log held by another program neither
// holds up the caller nor, once let go, loses or reorders a line; a full queue drops its oldest
// lines and says how many; and neither the exit nor a shutdown waits long for the writer.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/win32/LogWriter.h"
#include "app/win32/SchedulerPart.h"
#include "schedule/ScheduleReport.h"
#include "settings/TimerSetting.h"
#include "tests/win/MainWindowTestKit.h"

namespace {

std::string ReadShared(const std::wstring& path) {
  // Whatever else has it open, as an editor would.
  const UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  while (file && ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  return text;
}

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// The lines of a log, each ended by "\r\n".
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t from = 0;
  for (size_t end; (end = text.find("\r\n", from)) != std::string::npos; from = end + 2)
    lines.push_back(text.substr(from, end - from));
  EXPECT_EQ(from, text.size()) << "no line end after: " << text.substr(from);
  return lines;
}

// A line without the writer's "YYYY-MM-DD HH:MM:SS  ", or "" when it has none.
std::string Undated(const std::string& line) {
  int fields[6], length = 0;
  const bool dated = std::sscanf(line.c_str(), "%4d-%2d-%2d %2d:%2d:%2d  %n", &fields[0], &fields[1], &fields[2],
                                 &fields[3], &fields[4], &fields[5], &length) == 6 && length == 21;
  return dated ? line.substr(21) : "";
}

// The fallback's line before the lines meant for `path`.
bool CouldNotWrite(const std::string& line, const std::string& path) {
  const std::string rest = Undated(line);
  return rest.starts_with("Could not write " + path + " (") && rest.ends_with("); its lines follow here");
}

std::vector<std::string> Numbered(int count) {
  std::vector<std::string> lines;
  for (int i = 1; i <= count; ++i) lines.push_back("line " + std::to_string(i));
  return lines;
}

bool Within(DWORD ms, const auto& done) {
  for (DWORD waited = 0; !done() && waited < ms; waited += 20) Sleep(20);
  return done();
}

// A folder of its own under the temporary folder, removed with its log.
struct TempFolder {
  TempFolder() {
    static int made = 0;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    path = std::string(temp) + "kestrune-log-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++made);
    CreateDirectoryA(path.c_str(), nullptr);
  }
  ~TempFolder() {
    DeleteFileA(Log().c_str());
    RemoveDirectoryA(path.c_str());
  }
  std::string Log() const { return path + "\\" + kLogFileName; }
  std::vector<std::string> Read() const { return Lines(ReadShared(Wide(Log()))); }
  // Opened as a program that lets nobody else in.
  UniqueHandle Hold() const {
    return UniqueHandle(CreateFileA(Log().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  std::string path;
};

// %LOCALAPPDATA%\Kestrune\Kestrune log.txt: the lines added since the test began, and the file
// and folder put back as they were at its end.
class FallbackLog {
 public:
  FallbackLog() {
    wchar_t localAppData[MAX_PATH] = {};
    // The older way on purpose, to check the writer's answer against it.
    EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, localAppData), S_OK);
    folder_ = std::wstring(localAppData) + L"\\Kestrune";
    path_ = folder_ + L"\\" + Wide(kLogFileName);
    folderWasThere_ = GetFileAttributesW(folder_.c_str()) != INVALID_FILE_ATTRIBUTES;
    fileWasThere_ = GetFileAttributesW(path_.c_str()) != INVALID_FILE_ATTRIBUTES;
    sizeBefore_ = ReadShared(path_).size();
  }
  ~FallbackLog() {
    if (fileWasThere_) {
      const UniqueHandle file(CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
      LARGE_INTEGER at{};
      at.QuadPart = static_cast<LONGLONG>(sizeBefore_);
      if (file && SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN)) SetEndOfFile(file.Get());
    } else {
      DeleteFileW(path_.c_str());
    }
    if (!folderWasThere_) RemoveDirectoryW(folder_.c_str());
  }
  FallbackLog(const FallbackLog&) = delete;
  FallbackLog& operator=(const FallbackLog&) = delete;

  const std::wstring& Folder() const { return folder_; }
  std::vector<std::string> Added() const { return Lines(ReadShared(path_).substr(sizeBefore_)); }

 private:
  std::wstring folder_, path_;
  bool folderWasThere_, fileWasThere_;
  size_t sizeBefore_;
};

// A drive letter that is mapped to nothing (a USB drive pulled).
std::string UnmappedDrive() {
  for (char letter = 'Q'; letter <= 'Y'; ++letter) {
    const std::string root = std::string(1, letter) + ":\\";
    if (!(GetLogicalDrives() & (1u << (letter - 'A'))) && GetDriveTypeA(root.c_str()) == DRIVE_NO_ROOT_DIR)
      return root.substr(0, 2);
  }
  return "";
}

long long MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

TEST(ScheduleLog, LinesLandInTheRecordFolderInOrderAfterWhatItHeld) {
  TempFolder folder;
  {
    const UniqueHandle earlier(CreateFileA(folder.Log().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(earlier.Get(), "earlier\r\n", 9, &written, nullptr));
  }
  std::vector<std::string> lines = Numbered(200);
  // A name in code page 932 ("News" in katakana) whose second bytes are backslashes (0x5C).
  lines.push_back("Started \"\x83\x6A\x83\x85\x81\x5B\x83\x58\": C:\\\x95\x5C\\a.mp3");
  {
    LogWriter log;
    for (const std::string& line : lines) log.Append(folder.path, line);
  }
  lines.insert(lines.begin(), "earlier");
  EXPECT_EQ(folder.Read(), lines);
}

TEST(ScheduleLog, LinesWhoseFolderCannotBeWrittenLandInLocalAppDataAfterALineSayingWhy) {
  const std::string unmapped = UnmappedDrive() + "\\Radio";
  ASSERT_NE(unmapped, "\\Radio") << "every drive letter from Q to Y is mapped";
  FallbackLog fallback;
  EXPECT_EQ(LogWriter::FallbackFolder(), fallback.Folder());
  TempFolder good;
  const std::string missing = good.path + "\\gone\\deeper";
  {
    LogWriter log;
    for (auto [folder, line] : {std::pair{good.path, "one"}, {missing, "two"}, {missing, "three"},
                                {unmapped, "four"}, {good.path, "five"}, {missing, "six"}})
      log.Append(folder, line);
  }
  EXPECT_EQ(good.Read(), (std::vector<std::string>{"one", "five"}));
  const std::vector<std::string> lines = fallback.Added();
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_TRUE(CouldNotWrite(lines[0], missing + "\\" + kLogFileName)) << lines[0];
  EXPECT_TRUE(CouldNotWrite(lines[3], unmapped + "\\" + kLogFileName)) << lines[3];
  EXPECT_TRUE(CouldNotWrite(lines[5], missing + "\\" + kLogFileName)) << lines[5];
  EXPECT_EQ((std::vector<std::string>{lines[1], lines[2], lines[4], lines[6]}),
            (std::vector<std::string>{"two", "three", "four", "six"}));
  EXPECT_EQ(GetFileAttributesA(missing.c_str()), INVALID_FILE_ATTRIBUTES) << "the missing folder was made";
}

// Held by another program for less than the writer tries again: the caller is not held up, the
// oldest lines past the queue's capacity are dropped and counted, and the rest land in order.
TEST(ScheduleLog, AppendReturnsAtOnceWhileTheLogIsHeldAndPastItsCapacityDropsTheOldestAndCountsThem) {
  TempFolder folder;
  FallbackLog fallback;
  const std::vector<std::string> lines = Numbered(26);
  LogWriter log(10);
  UniqueHandle held = folder.Hold();
  ASSERT_TRUE(held);
  log.Append(folder.path, lines[0]);
  Sleep(300);  // the writer has taken it and waits for the file
  const auto start = std::chrono::steady_clock::now();
  for (size_t i = 1; i < lines.size(); ++i) log.Append(folder.path, lines[i]);
  EXPECT_LT(MsSince(start), 100) << "appending waited for the held file";
  Sleep(400);
  held.Reset();
  EXPECT_TRUE(Within(5000, [&] { return folder.Read().size() == 12; }));
  // The first, taken before the rest came; the count of the fifteen dropped; the last ten.
  std::vector<std::string> expected{lines[0],
                                    "15 earlier lines of this log were lost: it could not be written for too long"};
  expected.insert(expected.end(), lines.end() - 10, lines.end());
  std::vector<std::string> written = folder.Read();
  if (written.size() > 1) written[1] = Undated(written[1]);
  EXPECT_EQ(written, expected);
  EXPECT_TRUE(fallback.Added().empty());
}

TEST(ScheduleLog, TheEndDoesNotWaitForAHeldLogButPutsItsLinesInLocalAppData) {
  TempFolder folder;
  FallbackLog fallback;
  UniqueHandle held = folder.Hold();
  ASSERT_TRUE(held);
  const auto start = std::chrono::steady_clock::now();
  {
    LogWriter log;
    log.Append(folder.path, "Closing Kestrune");
  }
  EXPECT_LT(MsSince(start), 1000) << "the end waited for the held file";
  const std::vector<std::string> lines = fallback.Added();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(CouldNotWrite(lines[0], folder.Log())) << lines[0];
  EXPECT_EQ(lines[1], "Closing Kestrune");
}

// The exit's note of an unfinished file goes to the user's own log at once, on the caller's
// thread, ahead of a queue held up by the record folder's log; the queued line follows it there.
TEST(ScheduleLog, TheExitsNoteLandsInLocalAppDataAheadOfALogThatIsHeldUp) {
  TempFolder folder;
  FallbackLog fallback;
  UniqueHandle held = folder.Hold();
  ASSERT_TRUE(held);
  LogWriter log;
  log.Append(folder.path, "Ended \"Morning\"");
  Sleep(200);  // the writer waits for the held file
  const auto start = std::chrono::steady_clock::now();
  log.WriteToFallbackNow("Kestrune ended before this file was completely written: C:\\Rec\\a.mp3");
  EXPECT_LT(MsSince(start), 500) << "the note waited for the queue";
  EXPECT_EQ(fallback.Added(),
            std::vector<std::string>{"Kestrune ended before this file was completely written: C:\\Rec\\a.mp3"});
  EXPECT_TRUE(log.Flush(5000));
  const std::vector<std::string> lines = fallback.Added();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_TRUE(CouldNotWrite(lines[1], folder.Log())) << lines[1];
  EXPECT_EQ(lines[2], "Ended \"Morning\"");
}

// With no time to wait at its end (a writer stuck on a dead share), the writer is left with its
// lines and finishes them after its owner is gone.
TEST(ScheduleLog, AWriterPastItsExitWaitFinishesItsLinesOnItsOwn) {
  TempFolder folder;
  const std::vector<std::string> lines = Numbered(3000);
  {
    LogWriter log(5000, 0);
    for (const std::string& line : lines) log.Append(folder.path, line);
  }
  EXPECT_TRUE(Within(30000, [&] { return folder.Read().size() == lines.size(); }));
  EXPECT_EQ(folder.Read(), lines);
}

// Reads the fallback log at the moment the PC would go down.
struct LogReadingPower final : IPowerActions {
  explicit LogReadingPower(const FallbackLog& log) : fallback(log) {}
  void SetExecutionState(uint32_t) override {}
  void ArmWakeTimer(int64_t) override {}
  void CloseWakeTimer() override {}
  void RequestWakeupLatency() override {}
  void Beep() override {}
  bool Suspend() override { return false; }
  bool ShutDown() override {
    seen = fallback.Added();
    return true;
  }
  const FallbackLog& fallback;
  std::vector<std::string> seen;
};

TEST(ScheduleLog, AShutdownComesAfterTheLogWithoutWaitingForAHeldFile) {
  TempFolder folder;
  FallbackLog fallback;
  LogWriter log;
  LogReadingPower power(fallback);
  LogFirstPowerActions logFirst(power, log);
  UniqueHandle held = folder.Hold();
  ASSERT_TRUE(held);
  log.Append(folder.path, "Shutting the PC down");
  Sleep(200);  // the writer waits for the file
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(logFirst.ShutDown());
  EXPECT_LT(MsSince(start), 1000) << "the shutdown waited for the held file";
  ASSERT_EQ(power.seen.size(), 2u);
  EXPECT_EQ(power.seen[1], "Shutting the PC down");
}

// The scheduler as kestrune.exe joins it, with the record folder on a drive that is gone: the
// start missed while Kestrune was not running is in the user's own log.
TEST(ScheduleLog, AMissedStartWithTheRecordFolderOnAMissingDriveIsLoggedInLocalAppData) {
  const std::string folder = UnmappedDrive() + "\\Radio";
  ASSERT_NE(folder, "\\Radio") << "every drive letter from Q to Y is mapped";
  FallbackLog fallback;
  SimulatedReceiver receiver{SteadyClock::Instance()};
  SimulatedHidPlatform platform{receiver};
  ReadyMainWindowRig(platform, receiver, 1);
  MemoryKeyValueTree tree;
  PlantGeneral(tree, "RECORDFOLDER", folder);
  SYSTEMTIME t{};
  GetLocalTime(&t);
  const int64_t now = CivilSeconds({t.wYear, t.wMonth, t.wDay, t.wDayOfWeek, t.wHour, t.wMinute, t.wSecond});
  const LocalTime missedAt = CivilTime(now - 1800);
  PlantGeneral(tree, kLastRunningValue, StampText(CivilTime(now - 3600)));
  const std::string name = "Morning \x83\x6A\x83\x85\x81\x5B\x83\x58";
  for (auto [field, text] : {std::pair<const char*, std::string>{"ITEM", name}, {"ACTIVE", "1"}, {"ISAMFM", "1"},
                             {"FREQ", "8000"}, {"DATETYPE", "0"}, {"DATE", DateText(missedAt)},
                             {"STARTTIME", TimeText(missedAt)},
                             {"ENDSTART", TimeText(CivilTime(CivilSeconds(missedAt) + 600))}})
    tree.PlantString(std::string(kSettingsRoot) + "\\" + TimerKey(1), field, text);
  {
    AppAdapters adapters = TestAdapters(platform, tree, SteadyClock::Instance());
    adapters.scheduler = nullptr;  // the program's own
    adapters.powerCalls = PowerCalls{[](UINT, DWORD) -> BOOL { return FALSE; },
                                    [](BOOLEAN, BOOLEAN, BOOLEAN) -> BOOLEAN { return FALSE; }};
    App app(std::move(adapters));
    HWND window = app.MakeWindow();
    ASSERT_NE(window, nullptr);
    SendMessageA(window, WM_TIMER, kTimerDeferredStart, 0);  // loads the schedule
    SendMessageA(window, WM_TIMER, kTimerHeartbeat, 0);
    DestroyWindow(window);
  }
  DrainQuit();
  const std::vector<std::string> lines = fallback.Added();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(CouldNotWrite(lines[0], folder + "\\" + kLogFileName)) << lines[0];
  EXPECT_EQ(Undated(lines[1]), "Missed \"" + name + "\" of " + ShortDateTime(missedAt) + ": Kestrune was not running");
}

}  // namespace
