// The settings dialogs opened by the real main window's commands, on the real registry: what
// they store is what the window and the scheduler then run with.
#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/win32/MainDlg.h"
#include "app/win32/SettingsDialogs.h"
#include "resources/resource.h"
#include "resources/settings_ids.h"
#include "settings/win32/RegistryTree.h"
#include "tests/support/ManualClock.h"
#include "tests/support/SimulatedReceiver.h"
#include "tests/win/MainWindowTestKit.h"
#include "tests/win/ModalScript.h"

namespace {

class CountingSchedule final : public ISchedulerControl {
 public:
  void LoadSchedule() override { ++loads; }
  void SchedulerTick(const LocalTime&) override {}
  int loads = 0;
};

std::string Stored(const char* subkey, const char* name) {
  char data[512] = {};
  DWORD size = sizeof data;
  const std::string path = std::string(kSettingsRoot) + "\\" + subkey;
  if (RegGetValueA(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
    return "<missing>";
  return data;
}

class SettingsFromMainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    SHDeleteKeyA(HKEY_CURRENT_USER, kSettingsRoot);
    {
      SettingsStore store(registry);
      store.WriteValue(kGeneralKey, "COUNTRY", "0");
      store.WriteValue(kGeneralKey, "FM", "1");
      store.WriteValue(kGeneralKey, "FREQ", "8750");
      store.WriteValue(kGeneralKey, "FREQ_AM", "530");
      store.WriteValue(kGeneralKey, "RECORDFOLDER", "C:\\KestruneMainRec");
    }
    ReadyMainWindowRig(platform, receiver, 1);
    receiver.SetStations({{BandFM, 7600, 45}});
    AppAdapters adapters = TestAdapters(platform, registry, clock);
    adapters.dialogs = &dialogs;
    adapters.scheduler = &schedule;
    app = std::make_unique<App>(std::move(adapters));
    dlg = &app->Dialog();
    hwnd = app->MakeWindow();
    ASSERT_NE(hwnd, nullptr);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd);
    SetActiveWindow(hwnd);
    SendMessageA(hwnd, WM_TIMER, kTimerDeferredStart, 0);
    ASSERT_TRUE(app->Device().IsOpen());
  }
  void TearDown() override {
    app.reset();
    DrainQuit();
    RemoveDirectoryA("C:\\KestruneMainRec");
    SHDeleteKeyA(HKEY_CURRENT_USER, kSettingsRoot);
  }
  void Command(int id) { SendCommand(hwnd, id, BN_CLICKED); }

  ManualClock clock;
  SimulatedReceiver receiver{clock};
  SimulatedHidPlatform platform{receiver};
  RegistryTree registry;
  SettingsDialogs dialogs{registry, [](uint32_t) {}};
  CountingSchedule schedule;
  MessageLoop loop;
  std::unique_ptr<App> app;
  CMainDlg* dlg = nullptr;
  HWND hwnd = nullptr;
  ModalScript script;
};

TEST_F(SettingsFromMainWindow, PreferencesMoveTheReceiverToTheNewRegionsFirstPresets) {
  HWND owner = nullptr;
  script.Until([] { return FindDialog("Kestrune Setting") != nullptr; }).Do([&] {
    HWND prefs = FindDialog("Kestrune Setting");
    owner = GetWindow(prefs, GW_OWNER);
    EXPECT_TRUE(IsChecked(prefs, IDC_PREF_USA));
    ClickBox(prefs, IDC_PREF_JAPAN);
    SendDlgItemMessageA(prefs, IDC_PREF_FORMAT, CB_SETCURSEL, 1, 0);
    ClickCommand(prefs, IDOK);
  });
  script.Start();
  Command(IDC_SETTINGS);
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(owner, hwnd) << "owned by the active main window";
  EXPECT_EQ(Stored(kGeneralKey, "COUNTRY"), "2");
  EXPECT_EQ(app->Radio().Region(), RegionJapan);
  EXPECT_EQ(app->Radio().Band(), BandFM);
  EXPECT_EQ(app->Radio().Frequency(BandFM), 7600);  // Japan FM preset 1
  EXPECT_EQ(app->Radio().Frequency(BandAM), 522);   // Japan AM preset 1
  EXPECT_EQ(app->Radio().Preset(), 1);
  EXPECT_EQ(app->Recording().Mp3Rate(), 1);
  EXPECT_EQ(app->Recording().RecordFolder(), "C:\\KestruneMainRec");
  EXPECT_EQ(receiver.Region(), RegionJapan);
  EXPECT_EQ(receiver.Band(), BandFM);
  EXPECT_EQ(receiver.Frequency(), 7600);
}

TEST_F(SettingsFromMainWindow, TimerDialogEditsReachTheScheduleAndThePowerSettings) {
  const int loadsBefore = schedule.loads;
  script.Until([] { return FindDialog("Recording Setting") != nullptr; })
      .Do([] { ClickCommand(FindDialog("Recording Setting"), IDC_TIMER_SETTINGS_PC); })
      .Until([] { return FindDialog("PC Setting") != nullptr; })
      .Do([] {
        HWND pc = FindDialog("PC Setting");
        ClickBox(pc, IDC_PC_CLOSE_AFTER);
        ClickBox(pc, IDC_PC_WAKE);
        ClickCommand(pc, IDOK);
      })
      .Until([] { return FindDialog("PC Setting") == nullptr; })
      .Do([] {
        HWND timer = FindDialog("Recording Setting");
        TypeInto(GetDlgItem(timer, IDC_TIMER_NAME), "Late show");
        ClickBox(timer, IDC_TIMER_ON);
        ClickCommand(timer, IDOK);
      });
  script.Start();
  Command(IDC_TIMER_SETTINGS);
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(Stored("TIMER_SETTING01", "ITEM"), "Late show");
  EXPECT_EQ(Stored("TIMER_SETTING01", "ACTIVE"), "1");
  EXPECT_EQ(Stored(kGeneralKey, "CLOSE"), "1");
  EXPECT_EQ(Stored(kGeneralKey, "WAKEUP"), "0");
  EXPECT_EQ(schedule.loads, loadsBefore + 1);
  EXPECT_EQ(app->Power().Settings().afterRecording, AfterRecording::Close);
  EXPECT_EQ(app->Power().Settings().wakeUp, 0);
}

TEST_F(SettingsFromMainWindow, AResetFollowedByCancelStillReachesTheSchedulePowerSettingsAndRegion) {
  // The reset's record folder cannot be made: a file holds its name. A folder of that name left
  // by other runs is moved aside meanwhile.
  const std::string aside = "C:\\RadioREC.aside-" + std::to_string(GetCurrentProcessId());
  const bool movedAside = MoveFileA("C:\\RadioREC", aside.c_str()) != FALSE;
  HANDLE blocker = CreateFileA("C:\\RadioREC", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(blocker, INVALID_HANDLE_VALUE);
  CloseHandle(blocker);
  RegistryTree tree;
  SettingsStore(tree).WriteValue(kGeneralKey, "SHUTDOWN", "1");
  MainWindow& window = dlg->Window();
  window.LoadPowerSettings();
  ASSERT_EQ(app->Power().Settings().afterRecording, AfterRecording::Shutdown);
  const int loadsBefore = schedule.loads;

  std::string notice;
  bool defaultReturned = false;
  HWND prefs = nullptr;
  script.Until([&] { return (prefs = FindDialog("Kestrune Setting")) != nullptr; })
      .Do([&] {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        ClickCommand(prefs, IDC_PREF_DEFAULT);  // the notice runs its loop from here
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
        defaultReturned = true;
      })
      .Until([&] {
        HWND box = FindDialog("");
        if (!box) return false;
        notice = MessageBoxText(box);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return true;
      })
      .Until([&] { return defaultReturned; })
      .Do([&] {
        EXPECT_TRUE(IsWindowVisible(prefs)) << "the folder cannot be made: the dialog stays";
        ClickCommand(prefs, IDCANCEL);
      });
  script.Start();
  Command(IDC_SETTINGS);
  EXPECT_TRUE(script.Finished());
  DeleteFileA("C:\\RadioREC");
  if (movedAside) MoveFileA(aside.c_str(), "C:\\RadioREC");

  EXPECT_EQ(notice, "All data is restore to default!");
  EXPECT_EQ(Stored(kGeneralKey, "SHUTDOWN"), "0");
  EXPECT_EQ(schedule.loads, loadsBefore + 1) << "the wiped reservations leave the schedule";
  EXPECT_EQ(app->Power().Settings().afterRecording, AfterRecording::None) << "no shutdown after a recording";
  // The stored region is the default one now, and so is the receiver's.
  EXPECT_EQ(app->Radio().Region(), RegionJapan);
  EXPECT_EQ(receiver.Region(), RegionJapan);
  EXPECT_EQ(app->Recording().RecordFolder(), "C:\\RadioREC");
  EXPECT_EQ(app->Recording().Mp3Rate(), 2);
}

}  // namespace
