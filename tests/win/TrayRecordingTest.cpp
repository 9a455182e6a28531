// The tray icon, the tray and Record menus and manual recording through the real main window
// under Wine: menus opened by the window and chosen by keys as a user would, recordings from
// the rig's "FM Radio" tone decoded by the host's mpg123.
#include <windows.h>
#include <commctrl.h>
#include <dbt.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "app/win32/MainDlg.h"
#include "app/win32/MainTray.h"
#include "app/win32/StartWithWindows.h"
#include "audio/AudioPreparation.h"
#include "audio/Recorder.h"
#include "audio/win32/WaveInCaptureEngine.h"
#include "audio/win32/WaveCapture.h"
#include "resources/resource.h"
#include "resources/skin_ids.h"
#include "settings/MemoryKeyValueTree.h"
#include "tests/support/AudioMp3Scan.h"
#include "tests/support/ManualClock.h"
#include "tests/support/SimulatedReceiver.h"
#include "tests/win/AudioWineDecode.h"
#include "tests/win/MainWindowTestKit.h"

namespace {

// Runs the window's messages for `ms` milliseconds (its timers included).
void Pump(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  MSG msg;
  while (GetTickCount64() < end) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(5);
  }
}

std::string MenuText(HMENU menu, UINT position) {
  char text[256] = {};
  GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
  return text;
}

// Plays the user at a pop-up menu: waits for the menu window the main window opens, reads the
// menu's items, then picks item `pick` by keys (or closes the menu when `pick` is negative).
class MenuUser {
 public:
  explicit MenuUser(int pick) : pick_(pick), thread_([this] { Run(); }) {}
  ~MenuUser() { Join(); }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  std::vector<std::string> texts;
  std::vector<UINT> ids;
  int defaultItem = -1;
  bool seen = false;

 private:
  void Run() {
    HWND popup = nullptr;
    for (int i = 0; i < 400 && !popup; ++i) {
      popup = FindWindowA("#32768", nullptr);
      if (!popup || !IsWindowVisible(popup)) popup = nullptr, Sleep(10);
    }
    if (!popup) return;
    seen = true;
    if (auto menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0))) {
      for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        texts.push_back(MenuText(menu, i));
        ids.push_back(GetMenuItemID(menu, i));
      }
      defaultItem = static_cast<int>(GetMenuDefaultItem(menu, TRUE, 0));
    }
    if (pick_ < 0) {
      PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
      return;
    }
    for (int i = 0; i <= pick_; ++i) PostMessageA(popup, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(popup, WM_KEYDOWN, VK_RETURN, 0);
  }
  int pick_;
  std::thread thread_;
};

class TrayRecordingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ReadyMainWindowRig(platform, receiver, 1);
    Set("COUNTRY", "1");
    Set("FM", "1");
    Set("FREQ", "8980");
    Set("FREQ_AM", "999");
    Set("MP3BPS", "2");
    const std::string fm = std::string(kSettingsRoot) + "\\CH_SET_FM_EUR";
    const std::string am = std::string(kSettingsRoot) + "\\CH_SET_AM_EUR";
    for (int n = 1; n <= 12; ++n) {
      char id[16];
      std::snprintf(id, sizeof id, "CH%02d_ID", n);
      tree.PlantString(fm, id, "Fm station " + std::to_string(n));
      tree.PlantString(am, id, "Am station " + std::to_string(n));
    }
    tree.PlantString(fm, "CH05_ID", "   ");
    tree.PlantString(fm, "CH07_ID", std::string(300, 'x'));
    folderUnix = wine_decode::UnixOutputFolder() + "/rec-" + std::to_string(GetCurrentProcessId()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
    folder = wine_decode::WindowsPath(folderUnix);
    std::filesystem::create_directories(folder);
    Set("RECORDFOLDER", folder);
  }
  void TearDown() override {
    app.reset();
    DrainQuit();
    ClearWaveInDevices();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  void Set(const std::string& name, const std::string& value) { PlantGeneral(tree, name, value); }
  // The window as kestrune.exe makes it: the real recorder (or `recorder`) and the tray joined,
  // failures of starts by hand shown in `messages`, the receiver up.
  void Create(std::unique_ptr<IRecorder> recorder = nullptr) {
    AppAdapters adapters = TestAdapters(platform, tree, clock);
    adapters.recorder = recorder ? std::move(recorder) : WaveInRecorder();
    adapters.failures = &messages;
    adapters.tray = nullptr;  // the program's own
    app = std::make_unique<App>(std::move(adapters));
    dlg = &app->Dialog();
    tray = &app->Tray();
    hwnd = app->MakeWindow();
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(ShowAndBringUp(*app, hwnd));
  }
  // A click on a button or menu command, and what follows from it in the message queue.
  void Command(int id) {
    SendCommand(hwnd, id);
    Pump(50);
  }
  // The Record button, and item `pick` of the menu it opens.
  std::vector<std::string> RecordMenu(int pick) {
    MenuUser user(pick);
    Command(IDC_RECORD);
    user.Join();
    Pump(50);
    return user.texts;
  }
  std::string Text(int id) {
    char text[512] = {};
    GetDlgItemTextA(hwnd, id, text, sizeof text);
    return text;
  }
  // Seconds of audio mpg123 finds in a recorded file, and whether it carries the rig's tone.
  void Decode(const std::string& windowsPath, double& seconds, double& toneShare) {
    const std::string name = windowsPath.substr(windowsPath.find_last_of('\\') + 1);
    const std::vector<int16_t> pcm = wine_decode::DecodeMp3(folderUnix + "/" + name);
    seconds = pcm.size() / 2 / 44100.0;
    toneShare = 0;
    if (pcm.size() > 4 * 44100) {
      const std::vector<int16_t> middle(pcm.begin() + pcm.size() / 4, pcm.begin() + 3 * pcm.size() / 4);
      toneShare = ToneShare(middle, 44100, 1000.0);
    }
  }

  // The recording's running time is read on the window's clock.
  SkippingClock clock;
  SimulatedReceiver receiver{clock};
  SimulatedHidPlatform platform{receiver};
  MemoryKeyValueTree tree;
  NotedFailures messages;
  MessageLoop loop;
  MainTray* tray = nullptr;
  std::unique_ptr<App> app;
  CMainDlg* dlg = nullptr;
  HWND hwnd = nullptr;
  std::string folder, folderUnix;
};

// The menu's last item writes the current user's Run entry that starts the program in the tray at
// log-on, and takes it away again; its check mark follows the entry.
TEST_F(TrayRecordingTest, StartWithWindowsWritesAndRemovesTheRunEntry) {
  Create();
  SetStartWithWindows(false);
  auto checked = [&] {
    UniqueMenu menu = tray->BuildTrayMenu();
    return (GetMenuState(GetSubMenu(menu.Get(), 0), ID_START_WITH_WINDOWS, MF_BYCOMMAND) & MF_CHECKED) != 0;
  };
  auto entry = [] {
    char value[MAX_PATH * 2] = {};
    DWORD size = sizeof value - 1;
    const LSTATUS found = RegGetValueA(HKEY_CURRENT_USER, kRunKey, kRunValue, RRF_RT_REG_SZ, nullptr, value, &size);
    return found == ERROR_SUCCESS ? std::string(value) : std::string("(none)");
  };
  EXPECT_FALSE(checked());
  SendCommand(hwnd, ID_START_WITH_WINDOWS);
  const std::string command = entry();
  EXPECT_EQ(command, StartWithWindowsCommand());
  EXPECT_TRUE(std::regex_match(command, std::regex(R"(^"[A-Z]:\\.*\\kestrune_wintests\.exe" /tray$)"))) << command;
  EXPECT_TRUE(checked());
  SendCommand(hwnd, ID_START_WITH_WINDOWS);
  EXPECT_EQ(entry(), "(none)");
  EXPECT_FALSE(checked());
  EXPECT_TRUE(IsTrayStart("/tray"));
  EXPECT_TRUE(IsTrayStart(" -x /TRAY "));
  EXPECT_FALSE(IsTrayStart("/trayx"));
  EXPECT_FALSE(IsTrayStart(""));
}

TEST_F(TrayRecordingTest, TrayIconComesWithTheWindowAndBackAfterAShellRestart) {
  Create();
  const CTrayIcon& icon = tray->Icon();
  ASSERT_TRUE(icon.IsAdded());
  const NOTIFYICONDATAA& data = icon.Data();
  EXPECT_EQ(data.cbSize, NOTIFYICONDATAA_V2_SIZE);
  EXPECT_EQ(data.hWnd, hwnd);
  EXPECT_EQ(data.uID, 415u);
  EXPECT_EQ(data.uCallbackMessage, 1034u);
  EXPECT_STREQ(data.szTip, "Kestrune");
  EXPECT_EQ(data.hIcon, LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_KESTRUNE)));
  // The shell knows the icon by this window and id: it can be changed, and after a removal not.
  NOTIFYICONDATAA probe = data;
  probe.uFlags = NIF_TIP;
  EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &probe));

  // A shell restart forgets the icon; the broadcast puts it back with picture 128.
  tray->Icon().SetIcon(IDI_RECORDING);
  Shell_NotifyIconA(NIM_DELETE, &probe);
  SendMessageA(hwnd, g_taskbarCreatedMessage, 0, 0);
  EXPECT_TRUE(icon.IsAdded());
  EXPECT_EQ(icon.Data().hIcon, LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_KESTRUNE)));
  EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &probe));

  tray->Icon().Remove();
  EXPECT_FALSE(icon.IsAdded());
  EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &probe));
  EXPECT_FALSE(tray->Icon().SetIcon(IDI_KESTRUNE)) << "nothing to change once removed";
}

// At log-on the shell may announce itself between the window's creation and the deferred start
// that adds the icon: the broadcast adds it first, and the deferred add keeps that one.
TEST_F(TrayRecordingTest, AShellStartBeforeTheDeferredStartLeavesOneIconThatChangesAndGoes) {
  AppAdapters adapters = TestAdapters(platform, tree, clock);
  adapters.tray = nullptr;  // the program's own
  app = std::make_unique<App>(std::move(adapters));
  dlg = &app->Dialog();
  tray = &app->Tray();
  hwnd = app->MakeWindow();
  ASSERT_NE(hwnd, nullptr);
  SendMessageA(hwnd, g_taskbarCreatedMessage, 0, 0);
  const CTrayIcon& icon = tray->Icon();
  ASSERT_TRUE(icon.IsAdded());
  ASSERT_TRUE(ShowAndBringUp(*app, hwnd));

  EXPECT_TRUE(icon.IsAdded()) << "the deferred add keeps the icon the broadcast added";
  NOTIFYICONDATAA probe = icon.Data();
  EXPECT_EQ(probe.hWnd, hwnd);
  EXPECT_EQ(probe.uID, 415u);
  probe.uFlags = NIF_TIP;
  EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &probe)) << "the shell knows it by this window and id";
  EXPECT_TRUE(tray->Icon().SetIcon(IDI_RECORDING)) << "the recording blink reaches it";
  tray->Icon().Remove();
  EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &probe)) << "and the removal at exit takes it away";
  Shell_NotifyIconA(NIM_DELETE, &probe);  // no ghost for the tests after, whatever happened
}

TEST_F(TrayRecordingTest, TrayMenuCarriesTheBandsPresetNamesAndDoubleClickShows) {
  Create();
  MenuUser user(-1);
  SendMessageA(hwnd, kTrayCallbackMessage, 415, WM_RBUTTONUP);
  user.Join();
  ASSERT_TRUE(user.seen);
  ASSERT_EQ(user.texts.size(), 22u);
  EXPECT_EQ(user.texts[0], "Show Radio");
  EXPECT_EQ(user.defaultItem, 0);
  EXPECT_EQ(user.texts[2], "Seek UP");
  EXPECT_EQ(user.texts[3], "Seek Down");
  EXPECT_EQ(user.texts[5], "Fm station 1");
  EXPECT_EQ(user.texts[9], "") << "a blank name is an empty item";
  EXPECT_EQ(user.ids[9], 1005u) << "that still recalls its preset";
  EXPECT_EQ(user.texts[11], std::string(99, 'x')) << "a long name is cut to the menu's buffer";
  EXPECT_EQ(user.texts[16], "Fm station 12");
  EXPECT_EQ(user.texts[18], "Preferences..");
  EXPECT_EQ(user.texts[19], "Start with Windows");
  EXPECT_EQ(user.texts[21], "Exit") << "last, as in every tray menu";
  const std::vector<UINT> ids(user.ids.begin(), user.ids.end());
  EXPECT_EQ(ids[0], 32779u);
  for (UINT n = 1; n <= 12; ++n) EXPECT_EQ(ids[4 + n], 1000 + n);
  EXPECT_EQ(ids[19], static_cast<UINT>(ID_START_WITH_WINDOWS));
  EXPECT_EQ(ids[21], 32780u);

  // A band change switches the names; other clicks and other ids open nothing.
  Command(IDC_AM);
  UniqueMenu menu = tray->BuildTrayMenu();
  EXPECT_EQ(MenuText(GetSubMenu(menu.Get(), 0), 5), "Am station 1");
  EXPECT_EQ(SendMessageA(hwnd, kTrayCallbackMessage, 415, WM_LBUTTONUP), 0);
  EXPECT_EQ(SendMessageA(hwnd, kTrayCallbackMessage, 416, WM_RBUTTONUP), 0);
  HWND openMenu = FindWindowA("#32768", nullptr);
  EXPECT_TRUE(!openMenu || !IsWindowVisible(openMenu));

  // Hidden to the tray, a double-click brings the window back.
  Command(IDC_MINIMISE);
  EXPECT_FALSE(IsWindowVisible(hwnd));
  SendMessageA(hwnd, kTrayCallbackMessage, 415, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(IsWindowVisible(hwnd));
}

TEST_F(TrayRecordingTest, RecordingFromTheMenusPlaysInMpg123AtItsLength) {
  Create();
  const std::vector<std::string> startMenu = RecordMenu(0);  // "Recording"
  EXPECT_EQ(startMenu, (std::vector<std::string>{"Recording", "Rec 15min", "Rec 30min", "Rec 45min", "Rec 60min"}));
  ASSERT_EQ(app->Recording().IsRecording(), 1) << (messages.shown.empty() ? "" : messages.shown.front());
  const ULONGLONG started = GetTickCount64();
  const std::string path = Text(IDC_TEXT_FILE);
  EXPECT_TRUE(std::regex_match(path.substr(folder.size()), std::regex(R"(\\FM8980_\d{8}_\d{6}\.mp3)"))) << path;
  EXPECT_EQ(Text(IDC_TEXT_RATE), "128 Kbps");
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(hwnd, IDC_TEXT_FILE)));

  // Timer 1 runs the clock while the window's messages flow.
  SetTimer(hwnd, kTimerHeartbeat, 300, nullptr);
  Pump(6000);
  EXPECT_TRUE(std::regex_match(Text(IDC_TEXT_TIME), std::regex(R"(REC    00:00:0[5-7])"))) << Text(IDC_TEXT_TIME);

  const double wallSeconds = (GetTickCount64() - started) / 1000.0;
  const std::vector<std::string> stopMenu = RecordMenu(0);  // "Stop Recording"
  EXPECT_EQ(stopMenu, (std::vector<std::string>{"Stop Recording", "Stop after 15min", "Stop after 30min",
                                                "Stop after 45min", "Stop after 60min"}));
  EXPECT_EQ(app->Recording().IsRecording(), 0);
  EXPECT_EQ(Text(IDC_TEXT_FILE), "");
  EXPECT_TRUE(messages.shown.empty());
  // The stop does not wait for the file: its writer finishes it on a thread of its own.
  EXPECT_TRUE(app->Recorder()->WaitForWriters(10000).empty());

  const Mp3StreamInfo info = ScanMp3Frames(ReadWholeFile(path));
  ASSERT_TRUE(info.valid) << info.problem;
  EXPECT_EQ(info.bitrateKbps, 128);
  double seconds = 0, tone = 0;
  Decode(path, seconds, tone);
  EXPECT_EQ(seconds, info.frames * 1152 / 44100.0) << "mpg123 plays every frame";
  // The file holds the time between the two menu choices, give or take what the device buffers
  // and the menu's own moment.
  EXPECT_GT(seconds, wallSeconds - 0.6);
  EXPECT_LT(seconds, wallSeconds + 0.6);
  EXPECT_GT(tone, 0.3) << "the rig's tone";
}

// A driver that stops taking its buffers back (a reset, a device gone quiet): the capture
// delivers nothing more while REC would stay lit. Two seconds later the recording ends as a
// failure, told once, and its file keeps what came.
std::atomic<bool> g_refuseRequeue{false};
MMRESULT WINAPI RefusingRequeue(HWAVEIN wave, LPWAVEHDR header, UINT size) {
  return g_refuseRequeue.load() ? MMSYSERR_NOMEM : waveInAddBuffer(wave, header, size);
}

TEST_F(TrayRecordingTest, ARecordingWhoseSoundStopsComingEndsAsAFailure) {
  g_refuseRequeue = false;
  Create(std::make_unique<Recorder>(std::make_unique<WaveInCaptureEngine>(WaveInCalls{.addBuffer = &RefusingRequeue}),
                                    SteadyClock::Instance()));
  RecordMenu(0);
  ASSERT_EQ(app->Recording().IsRecording(), 1) << (messages.shown.empty() ? "" : messages.shown.front());
  const std::string path = Text(IDC_TEXT_FILE);
  SetTimer(hwnd, kTimerHeartbeat, 300, nullptr);
  Pump(1500);
  EXPECT_EQ(app->Recording().IsRecording(), 1) << "the sound flows";
  g_refuseRequeue = true;
  // The driver still fills what it holds (up to a second) and a loaded machine's Wine may hand it
  // over late; the end comes two quiet seconds after the last block, seen at a heartbeat.
  const ULONGLONG refused = GetTickCount64();
  while (app->Recording().IsRecording() && GetTickCount64() - refused < 20000) Pump(100);
  g_refuseRequeue = false;
  EXPECT_EQ(app->Recording().IsRecording(), 0);
  EXPECT_GE(GetTickCount64() - refused, 2000u) << "not before two quiet seconds";
  EXPECT_EQ(Text(IDC_TEXT_FILE), "");
  // Told on the window's line, never in a box that would hold the timers up.
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(Text(IDC_TEXT_LABEL), "Recording stopped: no sound came from the receiver for 2 seconds.");
  ASSERT_TRUE(app->Recorder()->WaitForWriters(10000).empty());
  const Mp3StreamInfo info = ScanMp3Frames(ReadWholeFile(path));
  ASSERT_TRUE(info.valid) << info.problem;
  EXPECT_GT(info.frames * 1152.0 / 44100.0, 1.0);
}

TEST_F(TrayRecordingTest, AMissingRecordFolderIsReportedOnceAndTheWindowStaysIdle) {
  Set("RECORDFOLDER", folder + "\\gone\\deeper");
  Create();
  RecordMenu(1);  // "Rec 15min"
  EXPECT_EQ(messages.shown, std::vector<std::string>{"Can't create MP3 file."});
  EXPECT_EQ(app->Recording().IsRecording(), 0);
  EXPECT_EQ(Text(IDC_TEXT_TIME), "");
  EXPECT_FALSE(KillTimer(hwnd, kTimerRecordLimit)) << "no limit timer runs";
  const std::vector<std::string> menu = RecordMenu(-1);
  ASSERT_FALSE(menu.empty());
  EXPECT_EQ(menu.front(), "Recording");
}

TEST_F(TrayRecordingTest, PullingTheReceiverDuringARecordingLeavesAFinishedFile) {
  Create();
  RecordMenu(0);
  ASSERT_EQ(app->Recording().IsRecording(), 1);
  const std::string path = Text(IDC_TEXT_FILE);
  const ULONGLONG started = GetTickCount64();
  Pump(5000);

  const double wallSeconds = (GetTickCount64() - started) / 1000.0;
  receiver.Remove();
  DEV_BROADCAST_HANDLE record{};
  record.dbch_size = sizeof record;
  record.dbch_devicetype = DBT_DEVTYP_HANDLE;
  record.dbch_handle = reinterpret_cast<HANDLE>(app->Device().NativeHandle());
  SendMessageA(hwnd, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, reinterpret_cast<LPARAM>(&record));
  EXPECT_FALSE(IsWindow(hwnd)) << "the removal ends the program";

  // The file is complete before the window is gone: every frame decodes, up to the removal.
  const Mp3StreamInfo info = ScanMp3Frames(ReadWholeFile(path));
  ASSERT_TRUE(info.valid) << info.problem;
  double seconds = 0, tone = 0;
  Decode(path, seconds, tone);
  EXPECT_GT(seconds, wallSeconds - 0.6);
  EXPECT_LT(seconds, wallSeconds + 0.6);
  EXPECT_GT(tone, 0.3) << "the rig's tone";
}

}  // namespace
