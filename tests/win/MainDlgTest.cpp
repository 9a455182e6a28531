// The real main window under Wine, driven by window messages against the simulated receiver,
// and the single-instance rule between real processes.
#include <windows.h>
#include <commctrl.h>
#include <dbt.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/win32/MainDlg.h"
#include "app/win32/SingleInstance.h"
#include "app/win32/WindowMessages.h"
#include "controls/win32/Subclass.h"
#include "resources/resource.h"
#include "settings/MemoryKeyValueTree.h"
#include "tests/support/ManualClock.h"
#include "tests/support/SimulatedReceiver.h"
#include "tests/support/StateProbes.h"
#include "tests/win/MainWindowTestKit.h"

namespace {

using Bytes = std::vector<uint8_t>;

class CountingScheduler final : public ISchedulerControl {
 public:
  void LoadSchedule() override { ++scheduleLoads; }
  void SchedulerTick(const LocalTime&) override { ++ticks; }
  int scheduleLoads = 0, ticks = 0;
};

class MainDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ReadyMainWindowRig(platform, receiver, 1);
    receiver.SetStations({{BandFM, 8000, 45}});
    for (auto [name, value] : {std::pair{"COUNTRY", "2"}, {"FM", "1"}, {"FREQ", "7810"}, {"VOLUME", "35"},
                               {"RECORDFOLDER", "C:\\KestruneTestRec"}, {"AUTOSPEND", "0"}})
      PlantGeneral(tree, name, value);
  }
  void TearDown() override {
    app.reset();
    DrainQuit();
  }

  HWND Create() {
    AppAdapters adapters = TestAdapters(platform, tree, clock);
    adapters.scheduler = &scheduler;
    app = std::make_unique<App>(std::move(adapters));
    dlg = &app->Dialog();
    hwnd = app->MakeWindow();
    return hwnd;
  }
  void Command(int id, int code = 0) { SendCommand(hwnd, id, code); }
  void Timer(unsigned id) { SendMessageA(hwnd, WM_TIMER, id, 0); }
  bool Enabled(int id) { return IsWindowEnabled(GetDlgItem(hwnd, id)) != FALSE; }

  ManualClock clock;
  SimulatedReceiver receiver{clock};
  SimulatedHidPlatform platform{receiver};
  MemoryKeyValueTree tree;
  CountingScheduler scheduler;
  MessageLoop loop;
  std::unique_ptr<App> app;
  CMainDlg* dlg = nullptr;
  HWND hwnd = nullptr;
};

TEST_F(MainDlgTest, StartsWithEveryControlAndBringsTheReceiverUpOnTimer2) {
  ASSERT_TRUE(Create());
  for (int id : {999, 1000, 1001, 1012, 1013, 1014, 1015, 1016, 1017, 1018, 1019, 1020, 1021, 1022, 1023,
                 1024, 1025, 1026, 1028, 1032, 1033, 1120, 1128, 1129, 1130, 1131, 1137, 1148})
    EXPECT_NE(GetDlgItem(hwnd, id), nullptr) << id;
  char text[64] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  EXPECT_STREQ(text, "Kestrune");
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  EXPECT_EQ(rect.right - rect.left, 535);
  EXPECT_EQ(rect.bottom - rect.top, 252);
  EXPECT_EQ(SendDlgItemMessageA(hwnd, IDC_VOLUME, TBM_GETPOS, 0, 0), 35);
  EXPECT_NE(GetFileAttributesA("C:\\KestruneTestRec"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesA("C:\\KestruneTestRec") & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(app->Power().Settings().autoSuspend, 0);  // the power settings come from the store
  // The schedule (with the tray icon and arrivals) waits until the window has been painted: a
  // timer, which comes after painting, loads it once.
  EXPECT_EQ(scheduler.scheduleLoads, 0);
  ::KillTimer(hwnd, kTimerDeferredStart);  // sent by hand below
  ShowWindow(hwnd, SW_SHOWNORMAL);
  for (const DWORD end = GetTickCount() + 1000; scheduler.scheduleLoads == 0 && GetTickCount() < end;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(5);
  }
  EXPECT_EQ(scheduler.scheduleLoads, 1);
  EXPECT_FALSE(GetUpdateRect(hwnd, nullptr, FALSE));
  // Nothing reaches the receiver before the deferred start.
  EXPECT_TRUE(receiver.Log().empty());
  EXPECT_EQ(dlg->Window().StartPending(), 1);

  Timer(kTimerDeferredStart);
  EXPECT_EQ(scheduler.scheduleLoads, 1);
  ASSERT_TRUE(app->Device().IsOpen());
  const auto reports = receiver.LogPrefixes(4);
  ASSERT_EQ(reports.size(), 9u);
  EXPECT_EQ(reports[0][0], 0x14);
  EXPECT_EQ(reports[7], (Bytes{0x02, 0x1E, 0x82, 0xFF}));
  EXPECT_EQ(clock.Sleeps(), std::vector<unsigned>{500});

  // Timer 1's first tick acts at once.
  ASSERT_EQ(MainWindowProbe::LastSecond(dlg->Window()), 0xFF);
  Timer(kTimerHeartbeat);
  EXPECT_EQ(scheduler.ticks, 1);
  EXPECT_LT(MainWindowProbe::LastSecond(dlg->Window()), 60);
  RemoveDirectoryA("C:\\KestruneTestRec");
}

// The tray's retry at log-on and the end of a burst of announcements are timers of the same
// window: each reaches its own owner.
TEST_F(MainDlgTest, TheTrayRetryTimerReachesTheTrayAndTheAnnouncementsKeepTheirs) {
  TrayStandIn tray;
  AppAdapters adapters = TestAdapters(platform, tree, clock);
  adapters.tray = &tray;
  app = std::make_unique<App>(std::move(adapters));
  hwnd = app->MakeWindow();
  ASSERT_NE(hwnd, nullptr);
  tray.timers.clear();
  Timer(kTimerAnnounceBurst);
  EXPECT_TRUE(tray.timers.empty());
  Timer(kTimerTrayRetry);
  EXPECT_EQ(tray.timers, std::vector<UINT_PTR>{kTimerTrayRetry});
}

TEST_F(MainDlgTest, SeekDisablesTheControlsAndTimersGiveThemBack) {
  ASSERT_TRUE(Create());
  Timer(kTimerDeferredStart);
  receiver.ClearLog();

  Command(IDC_SEEK_UP);
  EXPECT_EQ(receiver.LogPrefixes(4), std::vector<Bytes>{(Bytes{0x09, 0x01, 0x00, 0xFF})});
  for (int id : {999, 1001, 1016, 1019, 1020, 1021, 1025, 1032}) EXPECT_FALSE(Enabled(id)) << id;
  Timer(kTimerTuneEnable);
  EXPECT_TRUE(Enabled(IDC_TUNE_UP));
  EXPECT_TRUE(Enabled(IDC_TUNE_DOWN));
  for (int i = 0; i < 60 && dlg->Window().Seeking(); ++i) {
    clock.Advance(100);
    Timer(kTimerSeekPoll);
  }
  EXPECT_EQ(dlg->Window().Seeking(), 0);
  EXPECT_EQ(app->Radio().Frequency(BandFM), 8000);
  EXPECT_TRUE(Enabled(IDC_SEEK_UP));
  EXPECT_TRUE(Enabled(IDC_PRESET1));
  EXPECT_FALSE(Enabled(IDC_FM));
  Timer(kTimerBandEnable);
  EXPECT_TRUE(Enabled(IDC_FM));
  EXPECT_EQ(receiver.LogPrefixes(4).size(), 1u);  // no tune after the seek

  // Timers are ignored during a standby.
  app->Power().SetSuspended(true);
  Command(IDC_TUNE_UP);
  EXPECT_FALSE(Enabled(IDC_FM));
  Timer(kTimerBandEnable);
  EXPECT_FALSE(Enabled(IDC_FM));
}

TEST_F(MainDlgTest, AcceleratorsReachTheCommandsAndCloseShutsDown) {
  ASSERT_TRUE(Create());
  Timer(kTimerDeferredStart);
  tree.PlantString(std::string(kSettingsRoot) + "\\CH_SET_FM_JAP", "CH03_FRQ", "8120");
  receiver.ClearLog();

  MSG key{hwnd, WM_KEYDOWN, VK_F3, 0, 0, {}};
  EXPECT_TRUE(dlg->PreTranslateMessage(&key));
  EXPECT_EQ(receiver.LogPrefixes(4).back(), (Bytes{0x02, 0x1F, 0xB8, 0xFF}));
  MSG up{hwnd, WM_KEYDOWN, VK_UP, 0, 0, {}};
  dlg->PreTranslateMessage(&up);
  EXPECT_EQ(app->Radio().Volume(), 36);
  EXPECT_EQ(SendDlgItemMessageA(hwnd, IDC_VOLUME, TBM_GETPOS, 0, 0), 36);

  receiver.ClearLog();
  Command(IDC_CLOSE);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(app->Device().IsOpen());
  EXPECT_EQ(receiver.LogPrefixes(4).back(), (Bytes{0x13, 0x35, 0x10, 0xFF}));
  const auto saved = tree.GetValue(std::string(kSettingsRoot) + "\\" + kGeneralKey, "VOLUME");
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(saved->Text().value_or(""), "36");
  MSG quit;
  EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 0u);
}

// Windows asks every top-level window, hidden ones too, before a log-off or shutdown and then
// tells it the session ends: the window hiding in the tray keeps its state and shuts the
// receiver down as the Close button does. A log-off someone cancelled changes nothing.
TEST_F(MainDlgTest, EndOfSessionInTheTraySavesTheStateAndShutsTheReceiverDown) {
  ASSERT_TRUE(Create());
  Timer(kTimerDeferredStart);
  ShowWindow(hwnd, SW_HIDE);
  Command(IDC_TUNE_UP);
  const uint16_t tuned = app->Radio().Frequency(BandFM);
  ASSERT_NE(tuned, 7810);
  receiver.ClearLog();

  EXPECT_EQ(SendMessageA(hwnd, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  SendMessageA(hwnd, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
  EXPECT_TRUE(IsWindow(hwnd));
  EXPECT_TRUE(app->Device().IsOpen());
  EXPECT_TRUE(receiver.Log().empty());

  EXPECT_EQ(SendMessageA(hwnd, WM_QUERYENDSESSION, 0, 0), TRUE);
  SendMessageA(hwnd, WM_ENDSESSION, TRUE, 0);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(app->Device().IsOpen());
  ASSERT_FALSE(receiver.Log().empty());
  EXPECT_EQ(receiver.LogPrefixes(4).back(), (Bytes{0x13, 0x35, 0x10, 0xFF})) << "powered down";
  const auto saved = tree.GetValue(std::string(kSettingsRoot) + "\\" + kGeneralKey, "FREQ");
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(saved->Text().value_or(""), std::to_string(tuned));
}

TEST(MainAccelerators, Table128HoldsExactlyTheWindowsKeysWithoutModifiers) {
  HACCEL table = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(128));
  ASSERT_TRUE(table);
  std::vector<ACCEL> entries(static_cast<size_t>(CopyAcceleratorTableA(table, nullptr, 0)));
  CopyAcceleratorTableA(table, entries.data(), static_cast<int>(entries.size()));
  std::vector<std::pair<WORD, WORD>> keys;
  for (const ACCEL& a : entries) {
    EXPECT_EQ(a.fVirt & (FVIRTKEY | FSHIFT | FCONTROL | FALT), FVIRTKEY) << a.key;
    keys.emplace_back(a.key, a.cmd);
  }
  std::vector<std::pair<WORD, WORD>> expected = {{VK_UP, 32775}, {VK_DOWN, 32776}, {VK_LEFT, 1000},
                                                 {VK_RIGHT, 1013}, {'S', 1014},    {'T', 1015},
                                                 {'M', 1024}};
  for (WORD n = 0; n < 12; ++n) expected.emplace_back(static_cast<WORD>(VK_F1 + n), static_cast<WORD>(1001 + n));
  std::sort(keys.begin(), keys.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(keys, expected);
}

TEST_F(MainDlgTest, ArrivalMessageWithALowerCasePathBringsTheReceiverUp) {
  platform.slots.clear();
  ASSERT_TRUE(Create());
  Timer(kTimerDeferredStart);
  EXPECT_FALSE(app->Device().IsOpen());
  platform.PutReceiverAt(0);

  EXPECT_EQ(SendReceiverArrival(hwnd), TRUE);
  ASSERT_TRUE(app->Device().IsOpen());
  EXPECT_TRUE(IsWindowVisible(hwnd));

  // Removal of another handle changes nothing; the receiver's own ends the program silently.
  DEV_BROADCAST_HANDLE removal{};
  removal.dbch_size = sizeof removal;
  removal.dbch_devicetype = DBT_DEVTYP_HANDLE;
  removal.dbch_handle = reinterpret_cast<HANDLE>(app->Device().NativeHandle() + 4);
  EXPECT_EQ(SendMessageA(hwnd, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, reinterpret_cast<LPARAM>(&removal)), TRUE);
  EXPECT_TRUE(IsWindow(hwnd));
  receiver.ClearLog();
  removal.dbch_handle = reinterpret_cast<HANDLE>(app->Device().NativeHandle());
  SendMessageA(hwnd, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, reinterpret_cast<LPARAM>(&removal));
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_TRUE(receiver.Log().empty());
}

// Records the reflected notifications a child receives.
std::vector<UINT> g_reflected;
WNDPROC g_staticProc = nullptr;
LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg >= kReflectBase) g_reflected.push_back(msg);
  return CallWindowProcA(g_staticProc, hwnd, msg, wParam, lParam);
}

TEST_F(MainDlgTest, ChildNotificationsNotHandledAreReflectedToTheChild) {
  ASSERT_TRUE(Create());
  HWND child = GetDlgItem(hwnd, IDC_TEXT_FILE);
  g_staticProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingProc)));
  g_reflected.clear();
  SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDC_TEXT_FILE, 0), reinterpret_cast<LPARAM>(child));
  NMHDR header{child, IDC_TEXT_FILE, NM_CLICK};
  SendMessageA(hwnd, WM_NOTIFY, IDC_TEXT_FILE, reinterpret_cast<LPARAM>(&header));
  EXPECT_EQ(g_reflected, (std::vector<UINT>{0x2000 + WM_COMMAND, 0x2000 + WM_NOTIFY}));
  SetWindowLongPtrA(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_staticProc));
}

// A second start soon after the first (a double-click) must find the first window: it carries
// the marker from the moment it is shown, not only once it is painted and COM is up.
TEST_F(MainDlgTest, TheShownWindowIsMarkedBeforeItsFirstPaintAndTheRestOfTheStart) {
  ASSERT_TRUE(Create());
  auto marked = [this] { return reinterpret_cast<UINT_PTR>(GetPropA(hwnd, kInstanceProperty)) == kInstanceMarker; };
  int paints = 0, markedPaints = 0;
  WindowSubclass watch;
  watch.Attach(hwnd, [&](UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
      ++paints;
      if (marked()) ++markedPaints;
    }
    return watch.CallNext(msg, wParam, lParam);
  });
  ASSERT_FALSE(marked());
  bool markedAtStart = false;
  ShowAsRunningInstance(hwnd, SW_SHOWNORMAL, [&] { markedAtStart = marked(); });
  EXPECT_GT(paints, 0) << "the window paints before the rest of the start";
  EXPECT_EQ(markedPaints, paints);
  EXPECT_TRUE(markedAtStart);
  EXPECT_EQ(FindRunningInstance(), hwnd);
  watch.Detach();
}

TEST(SingleInstance, OnlyTheMarkerValue1022CountsAsARunningCopy) {
  HWND foreign = CreateWindowExA(0, "STATIC", "foreign", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(foreign);
  SetPropA(foreign, kInstanceProperty, reinterpret_cast<HANDLE>(1021));
  EXPECT_EQ(FindRunningInstance(), nullptr);
  SetPropA(foreign, kInstanceProperty, reinterpret_cast<HANDLE>(1022));
  EXPECT_EQ(FindRunningInstance(), foreign);
  RemovePropA(foreign, kInstanceProperty);
  DestroyWindow(foreign);
}

}  // namespace
