// The real main window under Wine where what arrives depends on Win32 itself: the messages a
// message box's own loop dispatches to the window, the real Tune button's press, release and
// capture, and the folder the start-up creates.
#include <windows.h>
#include <commctrl.h>
#include <dbt.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/win32/MainDlg.h"
#include "audio/win32/AudioPreparationWin32.h"
#include "resources/resource.h"
#include "settings/MemoryKeyValueTree.h"
#include "tests/support/ManualClock.h"
#include "tests/support/SimulatedReceiver.h"
#include "tests/win/MainWindowTestKit.h"

namespace {

using Bytes = std::vector<uint8_t>;

class CountingScheduler final : public ISchedulerControl {
 public:
  void LoadSchedule() override {}
  void SchedulerTick(const LocalTime&) override { ++ticks; }
  int ticks = 0;
};

class FailingPreparation final : public IAudioPreparation {
 public:
  std::string PrepareRecordingInput() override { return "Device not found."; }
};

class MainDlgInteraction : public ::testing::Test {
 protected:
  void SetUp() override {
    ReadyMainWindowRig(platform, receiver, 0);
    Set("COUNTRY", "2");
    Set("FM", "1");
    Set("FREQ", "8000");
    Set("VOLUME", "40");
    Set("RECORDFOLDER", "C:\\KestruneInteractionRec");
  }
  void TearDown() override {
    app.reset();
    DrainQuit();
    RemoveDirectoryA("C:\\KestruneInteractionRec");
  }
  void Set(const char* name, const std::string& text) { PlantGeneral(tree, name, text); }
  void Create() {
    AppAdapters adapters = TestAdapters(platform, tree, clock);
    adapters.scheduler = &scheduler;
    adapters.preparation = openPreparation;
    adapters.failures = openFailures;
    app = std::make_unique<App>(std::move(adapters));
    dlg = &app->Dialog();
    hwnd = app->MakeWindow();
    ASSERT_NE(hwnd, nullptr);
  }
  void Timer(unsigned id) { SendMessageA(hwnd, WM_TIMER, id, 0); }
  // True while the window still had timer `id`; the call takes it away.
  bool HadTimer(unsigned id) { return ::KillTimer(hwnd, id) != FALSE; }

  ManualClock clock;
  SimulatedReceiver receiver{clock};
  SimulatedHidPlatform platform{receiver};
  MemoryKeyValueTree tree;
  CountingScheduler scheduler;
  MessageLoop loop;
  // The receiver's open-time audio preparation and where its failure shows, when a test gives them.
  IAudioPreparation* openPreparation = nullptr;
  IFailureBox* openFailures = nullptr;
  std::unique_ptr<App> app;
  CMainDlg* dlg = nullptr;
  HWND hwnd = nullptr;
};

// ---- The open-time failure box ----

// What the test does from inside the box's modal loop: a thread timer of the test thread is
// dispatched by that loop, as the window's own messages are.
struct WhileTheBoxIsUp {
  HWND main = nullptr;
  HWND box = nullptr;
  std::string boxText;
  int ticksWhenSeen = -1;
  size_t reportsBeforeCommands = 0;
  DWORD deadline = 0;
  bool done = false;
  CountingScheduler* scheduler = nullptr;
  SimulatedReceiver* receiver = nullptr;
  App* app = nullptr;
};
WhileTheBoxIsUp* g_box = nullptr;

BOOL CALLBACK FindBox(HWND window, LPARAM) {
  char cls[32] = {}, title[8] = {};
  GetClassNameA(window, cls, sizeof cls);
  GetWindowTextA(window, title, sizeof title);
  if (std::string(cls) != "#32770" || std::string(title) != " " || window == g_box->main) return TRUE;
  g_box->box = window;
  return FALSE;
}

BOOL CALLBACK ReadBoxText(HWND child, LPARAM) {
  char text[64] = {};
  GetWindowTextA(child, text, sizeof text);
  if (std::string(text).find('.') != std::string::npos) g_box->boxText = text;
  return TRUE;
}

void CALLBACK PlayWhileTheBoxIsUp(HWND, UINT, UINT_PTR timer, DWORD) {
  WhileTheBoxIsUp& s = *g_box;
  if (s.done) return;
  if (!s.box) {
    EnumThreadWindows(GetCurrentThreadId(), FindBox, 0);
    if (!s.box) return;
    EnumChildWindows(s.box, ReadBoxText, 0);
    s.deadline = GetTickCount() + 5000;
  }
  // The heartbeat's first tick acts at once; the box may wait for it (a limit keeps a broken
  // program from hanging the test).
  if (s.scheduler->ticks == 0 && GetTickCount() < s.deadline) return;
  s.done = true;
  KillTimer(nullptr, timer);
  s.ticksWhenSeen = s.scheduler->ticks;
  s.reportsBeforeCommands = s.receiver->LogPrefixes(4).size();
  // A band button, then the receiver pulled out, while the box waits for its answer.
  SendMessageA(s.main, WM_COMMAND, MAKEWPARAM(IDC_AM, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(s.main, IDC_AM)));
  DEV_BROADCAST_HANDLE removal{};
  removal.dbch_size = sizeof removal;
  removal.dbch_devicetype = DBT_DEVTYP_HANDLE;
  removal.dbch_handle = reinterpret_cast<HANDLE>(s.app->Device().NativeHandle());
  SendMessageA(s.main, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, reinterpret_cast<LPARAM>(&removal));
  PostMessageA(s.box, WM_COMMAND, IDOK, 0);
}

TEST_F(MainDlgInteraction, FailureBoxRunsCommandsTimersAndRemovalOnAReceiverThatIsUp) {
  FailingPreparation preparation;
  MessageFailureBox failureBox;
  openPreparation = &preparation;
  openFailures = &failureBox;
  Create();

  WhileTheBoxIsUp state;
  state.main = hwnd;
  state.scheduler = &scheduler;
  state.receiver = &receiver;
  state.app = app.get();
  g_box = &state;
  const UINT_PTR player = SetTimer(nullptr, 0, 20, PlayWhileTheBoxIsUp);
  ASSERT_NE(player, 0u);
  Timer(kTimerDeferredStart);
  KillTimer(nullptr, player);
  g_box = nullptr;

  ASSERT_TRUE(state.done) << "no box was shown";
  EXPECT_EQ(state.boxText, "Device not found.");
  // The heartbeat ran while the box waited: an unattended start goes on.
  EXPECT_GE(state.ticksWhenSeen, 1);
  // The whole bring-up came first, in its order; the band button then used Japan's AM code.
  const auto reports = receiver.LogPrefixes(4);
  EXPECT_EQ(state.reportsBeforeCommands, 9u);
  ASSERT_GE(reports.size(), 12u);
  EXPECT_EQ(reports[0][0], 0x14);
  EXPECT_EQ(reports[8], (Bytes{0x02, 0x1F, 0x40, 0xFF}));
  EXPECT_EQ(reports[9], (Bytes{0x0A, 0x80, 0x02, 0xFF}));
  // The removal ended the program, and nothing followed it to the receiver.
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(reports.size(), 12u);  // band select, its completion and the tune
  EXPECT_EQ(dlg->Window().DeviceLost(), 1);
}

// ---- The real Tune button ----

class TuneHold : public MainDlgInteraction {
 protected:
  void SetUp() override {
    MainDlgInteraction::SetUp();
    Create();
    Timer(kTimerDeferredStart);
    ASSERT_TRUE(app->Device().IsOpen());
    up = GetDlgItem(hwnd, IDC_TUNE_UP);
    ASSERT_NE(up, nullptr);
    receiver.ClearLog();
  }
  // A press held for `ticks` of timer 20 (the readout runs ahead from the tenth on).
  void PressAndHold(int ticks) {
    SendMessageA(up, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    ASSERT_EQ(GetCapture(), up);
    for (int i = 0; i < ticks; ++i) Timer(kTimerHoldUp);
  }
  uint16_t Fm() { return app->Radio().Frequency(BandFM); }

  HWND up = nullptr;
};

TEST_F(TuneHold, ReleaseAnywhereOrALostCaptureEndsTheHoldOnTheTunedFrequency) {
  // Released over the button: one step beyond what the hold showed, tuned once.
  PressAndHold(11);
  EXPECT_EQ(Fm(), 8020);
  SendMessageA(up, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  EXPECT_EQ(Fm(), 8030);
  EXPECT_EQ(receiver.Frequency(), 8030);
  EXPECT_FALSE(HadTimer(kTimerHoldUp));

  // Dragged off and released outside the button.
  PressAndHold(12);
  EXPECT_EQ(Fm(), 8060);
  SendMessageA(up, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-40, 10));
  SendMessageA(up, WM_LBUTTONUP, 0, MAKELPARAM(-40, 10));
  EXPECT_FALSE(HadTimer(kTimerHoldUp));
  EXPECT_EQ(Fm(), 8070);
  EXPECT_EQ(receiver.Frequency(), 8070);
  EXPECT_EQ(GetCapture(), nullptr);

  // The capture taken away while held (another window, a system dialog).
  PressAndHold(10);
  EXPECT_EQ(Fm(), 8080);
  SetCapture(hwnd);
  EXPECT_FALSE(HadTimer(kTimerHoldUp));
  EXPECT_EQ(Fm(), 8090);
  EXPECT_EQ(receiver.Frequency(), 8090);
  ReleaseCapture();
  EXPECT_FALSE(dlg->Skin().Button(IDC_TUNE_UP)->IsPushed());

  // Each press ended in exactly one tune.
  int tunes = 0;
  for (const auto& report : receiver.LogPrefixes(1)) tunes += report[0] == 0x02;
  EXPECT_EQ(tunes, 3);
}

TEST_F(TuneHold, SpaceHeldThenTabOrACancelledModeLetsGoWithNothingMoreTuned) {
  auto tunes = [this] {
    int n = 0;
    for (const auto& report : receiver.LogPrefixes(1)) n += report[0] == 0x02;
    return n;
  };
  auto key = [this](UINT message, WPARAM vk) {
    MSG msg{GetFocus(), message, vk, 0, 0, {}};
    if (!dlg->PreTranslateMessage(&msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  };
  SetFocus(up);
  key(WM_KEYDOWN, VK_SPACE);
  ASSERT_EQ(GetCapture(), up);
  // The window's hold runs the display on, as it does after a second of holding.
  const uint16_t tuned = receiver.Frequency();
  for (int i = 0; i < 12; ++i) Timer(kTimerHoldUp);
  EXPECT_EQ(Fm(), tuned + 30);

  key(WM_KEYDOWN, VK_TAB);
  EXPECT_NE(GetFocus(), up);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_FALSE(::KillTimer(up, 1)) << "the button's repeat still runs";
  EXPECT_FALSE(HadTimer(kTimerHoldUp)) << "the window's hold still runs";
  EXPECT_FALSE(dlg->Skin().Button(IDC_TUNE_UP)->IsPushed());
  EXPECT_EQ(Fm(), tuned);  // the display shows what plays again
  // The Space key's release reaches another control; a late repeat finds nothing held.
  key(WM_KEYUP, VK_SPACE);
  SendMessageA(up, WM_TIMER, 1, 0);
  EXPECT_EQ(tunes(), 0);
  EXPECT_EQ(receiver.Frequency(), tuned);

  // A menu or a dialog cancelling the mode while Space holds the button.
  SetFocus(up);
  key(WM_KEYDOWN, VK_SPACE);
  ASSERT_EQ(GetCapture(), up);
  SendMessageA(up, WM_CANCELMODE, 0, 0);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_FALSE(HadTimer(kTimerHoldUp));
  key(WM_KEYUP, VK_SPACE);
  EXPECT_EQ(tunes(), 0);
  // Held and released in place, Space still tunes one step.
  SetFocus(up);
  key(WM_KEYDOWN, VK_SPACE);
  key(WM_KEYUP, VK_SPACE);
  EXPECT_EQ(tunes(), 1);
  EXPECT_EQ(receiver.Frequency(), tuned + 10);
}

// ---- Start-up ----

bool IsFolder(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

TEST_F(MainDlgInteraction, StartUpCreatesTheFolderRecordingsUse) {
  Set("RECORDFOLDER", " \tC:\\KestruneInteractionRec  ");
  RemoveDirectoryA("C:\\KestruneInteractionRec");
  Create();
  EXPECT_EQ(app->Recording().RecordFolder(), "C:\\KestruneInteractionRec");
  EXPECT_TRUE(IsFolder("C:\\KestruneInteractionRec"));

  // A folder of blanks only records into the default folder, so that one must exist.
  app.reset();
  Set("RECORDFOLDER", " \t ");
  RemoveDirectoryA("C:\\RadioREC");
  Create();
  EXPECT_EQ(app->Recording().RecordFolder(), "C:\\RadioREC");
  EXPECT_TRUE(IsFolder("C:\\RadioREC"));
}

}  // namespace
