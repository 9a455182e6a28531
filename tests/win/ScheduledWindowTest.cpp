// The real main window with the scheduler joined as kestrune.exe joins it, against the simulated
// receiver: a reservation with "close after recording" records through the real recorder, ends
// the message loop and leaves the receiver powered down; a receiver pulled out and plugged in
// again mid-reservation leaves two files; a suspend broadcast closes the receiver with the wake
// timer armed, the resume brings the receiver back and keeps the timer for the next start.
#include <windows.h>
#include <commctrl.h>
#include <dbt.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/win32/MainDlg.h"
#include "app/win32/SchedulerPart.h"
#include "audio/Recorder.h"
#include "audio/win32/WaveInCaptureEngine.h"
#include "schedule/ScheduleReport.h"
#include "settings/MemoryKeyValueTree.h"
#include "settings/TimerSetting.h"
#include "tests/support/AudioMp3Scan.h"
#include "tests/support/ManualClock.h"
#include "tests/support/SimulatedReceiver.h"
#include "tests/win/MainWindowTestKit.h"

namespace {

int g_shutdowns = 0;
BOOL WINAPI NoExitWindows(UINT, DWORD) {
  ++g_shutdowns;
  return FALSE;
}
BOOLEAN WINAPI NoSuspend(BOOLEAN, BOOLEAN, BOOLEAN) { return TRUE; }

LocalTime LocalNow() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wDayOfWeek, t.wHour, t.wMinute, t.wSecond};
}

void CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(2); }

class ScheduledWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ReadyMainWindowRig(platform, receiver, 1);
    for (auto [name, value] : {std::pair{"FM", "1"}, {"COUNTRY", "2"}, {"FREQ", "7810"}, {"VOLUME", "30"}})
      Set(kGeneralKey, name, value);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    folder = std::string(temp) + "kestrune-scheduled-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    Set(kGeneralKey, "RECORDFOLDER", folder);
  }
  void TearDown() override { DrainQuit(); }
  void Set(const std::string& key, const std::string& name, const std::string& value) {
    tree.PlantString(std::string(kSettingsRoot) + "\\" + key, name, value);
  }
  void Reserve(const LocalTime& start, int seconds) {
    const std::string key = TimerKey(2);
    for (auto [name, value] : {std::pair{"ITEM", "Morning"}, {"ACTIVE", "1"}, {"ISAMFM", "1"}, {"FREQ", "8000"},
                               {"QUALITY", "2"}, {"DATETYPE", "0"}})
      Set(key, name, value);
    Set(key, "DATE", DateText(start));
    Set(key, "STARTTIME", TimeText(start));
    Set(key, "ENDSTART", TimeText(CivilTime(CivilSeconds(start) + seconds)));
  }

  SimulatedReceiver receiver{SteadyClock::Instance()};
  SimulatedHidPlatform platform{receiver};
  MemoryKeyValueTree tree;
  // A reservation of `seconds` starting `ahead` seconds from now, away from midnight, with "close
  // after recording"; its start.
  LocalTime ReserveSoon(int ahead, int seconds) {
    LocalTime now = LocalNow();
    if (CivilSeconds(now) % 86400 > 86400 - 3 * (ahead + seconds)) {
      Sleep(static_cast<DWORD>(1000 * (86400 - CivilSeconds(now) % 86400 + 1)));
      now = LocalNow();
    }
    const LocalTime start = CivilTime(CivilSeconds(now) + ahead);
    Reserve(start, seconds);
    Set(kGeneralKey, "CLOSE", "1");
    return start;
  }
  // The program as kestrune.exe builds it over the simulated receiver and the real recorder, its
  // window shown; its loop runs until it closes (0) or 40 s have passed (2).
  std::unique_ptr<App> MakeProgram() {
    AppAdapters adapters = TestAdapters(platform, tree, SteadyClock::Instance());
    adapters.scheduler = nullptr;  // the program's own
    adapters.recorder = WaveInRecorder();
    adapters.powerCalls = PowerCalls{NoExitWindows, NoSuspend};
    auto app = std::make_unique<App>(std::move(adapters));
    if (HWND hwnd = app->MakeWindow()) ShowWindow(hwnd, SW_SHOW);
    return app;
  }
  int RunUntilClosed() {
    const UINT_PTR watchdog = SetTimer(nullptr, 0, 40000, GiveUp);
    const int result = loop.Run();
    KillTimer(nullptr, watchdog);
    return result;
  }

  MessageLoop loop;
  std::string folder;
};

TEST_F(ScheduledWindowTest, CloseAfterRecordingEndsTheLoopWithTheReceiverDown) {
  const LocalTime start = ReserveSoon(4, 3);
  const std::unique_ptr<App> app = MakeProgram();
  const HWND hwnd = app->Dialog().Hwnd();
  ASSERT_NE(hwnd, nullptr);
  const int result = RunUntilClosed();

  EXPECT_EQ(result, 0) << "the window did not close after the recording";
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(receiver.Powered());
  EXPECT_EQ(receiver.OpenHandles(), 0u);
  const auto reports = receiver.LogPrefixes(1);
  EXPECT_EQ(reports.back()[0], 0x13) << "the receiver did not get its shut-down report last";
  // Tuned to the reservation's 80.00 MHz during the recording, back to 78.10 MHz after it.
  const auto log = receiver.LogPrefixes(3);
  EXPECT_NE(std::find(log.begin(), log.end(), std::vector<uint8_t>{0x02, 0x1F, 0x40}), log.end());
  SettingsStore store(tree);
  EXPECT_EQ(store.ReadValue(kGeneralKey, "FREQ"), "7810");
  EXPECT_EQ(g_shutdowns, 0);

  const std::string file = folder + "\\Morning\\" + DateText(start) + "_" + TimeText(start) + ".mp3";
  const Mp3StreamInfo info = ScanMp3Frames(ReadWholeFile(file));
  EXPECT_TRUE(info.valid) << file << ": " << info.problem;
  EXPECT_EQ(info.bitrateKbps, 128);
  EXPECT_GT(info.frames * 1152.0 / 44100.0, 2.5);
  // The night's log in the record folder: the start and the end with the file and its length.
  const std::vector<uint8_t> bytes = ReadWholeFile(folder + "\\" + kLogFileName);
  const std::string night(bytes.begin(), bytes.end());
  EXPECT_NE(night.find("  Started \"Morning\": " + file + "\r\n"), std::string::npos) << night;
  EXPECT_NE(night.find("  Ended \"Morning\": " + file + ", 00:00:0"), std::string::npos) << night;
  DeleteFileA((folder + "\\" + kLogFileName).c_str());
  DeleteFileA(file.c_str());
  RemoveDirectoryA((folder + "\\Morning").c_str());
  RemoveDirectoryA(folder.c_str());
}

// The receiver pulled out three seconds into a reservation and plugged in again two seconds later:
// the reservation goes on into a second file, both complete, and its after-action comes once, at
// its stop.
struct PlugScript {
  SimulatedReceiver* receiver;
  SimulatedHidPlatform* platform;
  App* app;
  HWND hwnd;
  LocalTime start;
  int step = 0;
};
PlugScript* g_plug = nullptr;

void CALLBACK PlugStep(HWND, UINT, UINT_PTR, DWORD) {
  PlugScript& p = *g_plug;
  const int64_t second = CivilSeconds(LocalNow()) - CivilSeconds(p.start);
  if (p.step == 0 && second >= 3 && p.app->Recording().IsRecording()) {
    p.step = 1;
    p.receiver->Remove();
    p.platform->slots.clear();
    DEV_BROADCAST_HANDLE removal{};
    removal.dbch_size = sizeof removal;
    removal.dbch_devicetype = DBT_DEVTYP_HANDLE;
    removal.dbch_handle = reinterpret_cast<HANDLE>(p.app->Device().NativeHandle());
    SendMessageA(p.hwnd, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, reinterpret_cast<LPARAM>(&removal));
  } else if (p.step == 1 && second >= 5) {
    p.step = 2;
    p.receiver->PlugIn();
    p.platform->PutReceiverAt(0);
    SendReceiverArrival(p.hwnd);
  }
}

TEST_F(ScheduledWindowTest, AReceiverPulledOutAndBackMidReservationLeavesASecondFile) {
  const LocalTime start = ReserveSoon(3, 10);
  const std::unique_ptr<App> app = MakeProgram();
  ASSERT_NE(app->Dialog().Hwnd(), nullptr);
  PlugScript script{&receiver, &platform, app.get(), app->Dialog().Hwnd(), start};
  g_plug = &script;
  const UINT_PTR stepper = SetTimer(nullptr, 0, 100, PlugStep);
  const int result = RunUntilClosed();
  KillTimer(nullptr, stepper);
  g_plug = nullptr;

  EXPECT_EQ(result, 0) << "the window did not close at the reservation's stop";
  EXPECT_EQ(script.step, 2);
  const std::string first = folder + "\\Morning\\" + DateText(start) + "_" + TimeText(start) + ".mp3";
  const std::string second = folder + "\\Morning\\" + DateText(start) + "_" + TimeText(start) + "_2.mp3";
  for (const std::string& file : {first, second}) {
    const Mp3StreamInfo info = ScanMp3Frames(ReadWholeFile(file));
    EXPECT_TRUE(info.valid) << file << ": " << info.problem;
    EXPECT_GT(info.frames * 1152.0 / 44100.0, 0.5) << file;
  }
  const std::vector<uint8_t> bytes = ReadWholeFile(folder + "\\" + kLogFileName);
  const std::string night(bytes.begin(), bytes.end());
  EXPECT_NE(night.find("  Ended \"Morning\": " + first + ", 00:00:0"), std::string::npos) << night;
  EXPECT_NE(night.find(", receiver removed\r\n"), std::string::npos) << night;
  EXPECT_NE(night.find("  Resumed \"Morning\": " + second + ", 00:00:0"), std::string::npos) << night;
  EXPECT_NE(night.find("  Ended \"Morning\": " + second + ", 00:00:0"), std::string::npos) << night;
  const size_t closing = night.find("Closing Kestrune after \"Morning\"");
  EXPECT_NE(closing, std::string::npos) << night;
  EXPECT_EQ(night.find("Closing Kestrune", closing + 1), std::string::npos) << "once: " << night;
  SettingsStore store(tree);
  EXPECT_EQ(store.ReadValue(kGeneralKey, "FREQ"), "7810") << "the user's station is the one kept";
  for (const std::string& file : {first, second}) DeleteFileA(file.c_str());
  DeleteFileA((folder + "\\" + kLogFileName).c_str());
  RemoveDirectoryA((folder + "\\Morning").c_str());
  RemoveDirectoryA(folder.c_str());
}

TEST_F(ScheduledWindowTest, SuspendBroadcastClosesTheReceiverWithTheWakeTimerArmedAndResumeBringsItBack) {
  const LocalTime tomorrow = CivilTime(CivilSeconds(LocalNow()) + 86400);
  Reserve(tomorrow, 60);
  Set(kGeneralKey, "WAKEUP", "0");
  ManualClock clock;
  AppAdapters adapters = TestAdapters(platform, tree, clock);
  adapters.scheduler = nullptr;  // the program's own
  adapters.powerCalls = PowerCalls{NoExitWindows, NoSuspend};
  App app(std::move(adapters));
  HWND hwnd = app.MakeWindow();
  ASSERT_NE(hwnd, nullptr);
  ShowWindow(hwnd, SW_SHOW);
  SendMessageA(hwnd, WM_TIMER, 2, 0);  // the deferred start opens the receiver
  ASSERT_TRUE(app.Device().IsOpen());

  EXPECT_EQ(SendMessageA(hwnd, WM_POWERBROADCAST, 4 /* PBT_APMSUSPEND */, 0), TRUE);
  EXPECT_FALSE(app.Device().IsOpen());
  EXPECT_FALSE(receiver.Powered());
  EXPECT_FALSE(IsWindowVisible(hwnd));
  const HANDLE wake = app.PowerActions().WakeTimer();
  ASSERT_NE(wake, nullptr) << "no wake timer armed before tomorrow's reservation";
  EXPECT_EQ(WaitForSingleObject(wake, 0), WAIT_TIMEOUT);

  EXPECT_EQ(SendMessageA(hwnd, WM_POWERBROADCAST, 18 /* PBT_APMRESUMEAUTOMATIC */, 0), TRUE);
  EXPECT_TRUE(app.Device().IsOpen());
  EXPECT_TRUE(receiver.Powered());
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_EQ(app.PowerActions().WakeTimer(), wake) << "kept for tomorrow's start";
  EXPECT_NE(std::find(clock.Sleeps().begin(), clock.Sleeps().end(), 9000u), clock.Sleeps().end());
  DestroyWindow(hwnd);
  RemoveDirectoryA(folder.c_str());
}

}  // namespace
