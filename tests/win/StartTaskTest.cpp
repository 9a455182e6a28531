// The task that has Windows start Kestrune for the next reservation, registered in the prefix's
// Task Scheduler and read back through ITaskService by the test's own reader: written by the
// adapter, kept by the real window as reservations are saved and switched off, and removed by
// the program's /removetask (the uninstaller's call).
//
// Wine is not Windows here: Wine 8 keeps the task's path, its description and its settings, but
// stores no trigger, an empty exec action and no logon type (see TaskSchedulerKit.h). The trigger
// time and the command line are therefore also checked in the description, which carries both;
// on Windows the trigger, the action and the logon type are read back and checked as well.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "app/win32/MainDlg.h"
#include "app/win32/SchedulerPart.h"
#include "schedule/win32/Win32StartTask.h"
#include "settings/MemoryKeyValueTree.h"
#include "settings/TimerSetting.h"
#include "tests/support/SimulatedReceiver.h"
#include "tests/win/MainWindowTestKit.h"
#include "tests/win/ProgramProcess.h"
#include "tests/win/TaskSchedulerKit.h"

namespace {

const std::wstring kExe = L"C:\\Program Files\\Kestrune \x00c4 Test\\kestrune.exe";

LocalTime At(int y, int mo, int d, int h, int mi, int s) { return CivilTime(CivilSeconds({y, mo, d, 0, h, mi, s})); }

bool Has(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

// What the test checks of every task Kestrune writes, and the fields Windows keeps besides.
void ExpectStartTask(const TaskSeen& seen, const std::wstring& exe, const std::wstring& at, bool wake) {
  ASSERT_TRUE(seen.exists);
  EXPECT_EQ(seen.path, std::wstring(kStartTaskFolder) + L"\\Next reservation " + CurrentUserSid());
  std::wstring spaced = at;
  spaced[10] = L' ';
  EXPECT_TRUE(Has(seen.description, L"Starts Kestrune at " + spaced + L" ")) << Narrow(seen.description);
  EXPECT_TRUE(Has(seen.description, L"\"" + exe + L"\" /tray.")) << Narrow(seen.description);
  EXPECT_EQ(Has(seen.description, L", waking the PC:"), wake) << Narrow(seen.description);
  EXPECT_EQ(seen.wakeToRun, wake);
  EXPECT_EQ(seen.instances, TASK_INSTANCES_IGNORE_NEW);
  EXPECT_EQ(seen.executionTimeLimit, L"PT0S");
  EXPECT_FALSE(seen.disallowStartOnBatteries);
  EXPECT_FALSE(seen.stopOnBatteries);
  // Kept by Windows, dropped by Wine 8.
  EXPECT_EQ(seen.trigger.value_or(at), at);
  EXPECT_EQ(seen.command.value_or(exe), exe);
  EXPECT_EQ(seen.arguments.value_or(L"/tray"), L"/tray");
  EXPECT_EQ(seen.logonType.value_or(TASK_LOGON_INTERACTIVE_TOKEN), TASK_LOGON_INTERACTIVE_TOKEN);
}

// The task as the closing note quotes it.
void Show(const char* when, const TaskSeen& seen) {
  std::printf("[task %s] %s\n  description: %s\n  WakeToRun=%d MultipleInstances=%d ExecutionTimeLimit=%s "
              "DisallowStartIfOnBatteries=%d StopIfGoingOnBatteries=%d\n  trigger: %s; command: %s %s; logon type: %s\n",
              when, Narrow(seen.path).c_str(), Narrow(seen.description).c_str(), seen.wakeToRun, seen.instances,
              Narrow(seen.executionTimeLimit).c_str(), seen.disallowStartOnBatteries, seen.stopOnBatteries,
              seen.trigger ? Narrow(*seen.trigger).c_str() : "(none kept)",
              seen.command ? Narrow(*seen.command).c_str() : "(none kept)",
              seen.arguments ? Narrow(*seen.arguments).c_str() : "",
              seen.logonType ? std::to_string(*seen.logonType).c_str() : "(none kept)");
}

class StartTaskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(EnsureTaskSchedulerRunning()) << "the Task Scheduler service does not run";
    ASSERT_TRUE(reader.Connected());
    Win32StartTaskStore(kExe).Remove();
  }
  void TearDown() override { Win32StartTaskStore(kExe).Remove(); }
  TaskSeen Task() { return reader.Read(kStartTaskFolder, store.TaskName()); }

  TaskSchedulerReader reader;
  Win32StartTaskStore store{kExe};
};

TEST_F(StartTaskTest, ATaskAnEarlierRunLeftInTheRootGoesWhenTheFolderTakesIt) {
  const StartTaskPlan plan{true, 0, At(2031, 5, 17, 7, 0, 0), At(2031, 5, 17, 6, 55, 0), true};
  ASSERT_EQ(reader.Plant(L"\\", store.RootTaskName(), StartTaskXml(plan, kExe, L"left in the root")), S_OK);
  ASSERT_TRUE(reader.Read(L"\\", store.RootTaskName()).exists);
  ASSERT_EQ(store.Write(plan, "Morning News"), 0u);
  EXPECT_TRUE(Task().exists);
  EXPECT_FALSE(reader.Read(L"\\", store.RootTaskName()).exists);
  // And a removal looks in both places.
  ASSERT_EQ(reader.Plant(L"\\", store.RootTaskName(), StartTaskXml(plan, kExe, L"left in the root")), S_OK);
  ASSERT_EQ(store.Remove(), 0u);
  EXPECT_FALSE(Task().exists);
  EXPECT_FALSE(reader.Read(L"\\", store.RootTaskName()).exists);
}

TEST_F(StartTaskTest, AServiceThatDoesNotRunIsReportedAndNotAsked) {
  // The rig's service runs, and the service control manager says so.
  EXPECT_TRUE(TaskSchedulerMayRun());
  // Stopped (Wine's cannot be stopped, so the answer stands in): Windows' Connect fails then, and
  // Wine's would start it, which hangs in a young prefix. Nothing reaches Task Scheduler.
  Win32StartTaskStore stopped(kExe, [] { return false; });
  const StartTaskPlan plan{true, 0, At(2031, 5, 17, 7, 0, 0), At(2031, 5, 17, 6, 55, 0), true};
  EXPECT_EQ(stopped.Write(plan, "Morning News"), static_cast<uint32_t>(SCHED_E_SERVICE_NOT_RUNNING));
  EXPECT_FALSE(Task().exists);
  ASSERT_EQ(store.Write(plan, "Morning News"), 0u);
  EXPECT_EQ(stopped.Remove(), static_cast<uint32_t>(SCHED_E_SERVICE_NOT_RUNNING));
  EXPECT_TRUE(Task().exists);
}

// The timer dialog as the window runs it: what the user saves in it.
class ScriptedDialogs final : public IWindowDialogs {
 public:
  bool RunPreferences(uint8_t, uint8_t, PreferencesResult&) override { return false; }
  void RunTimerDialog(uint8_t) override { edit(); }
  std::function<void()> edit;
};

struct NoMessage final : IDialogMessage {
  void Show(const std::string& text) override { ADD_FAILURE() << text; }
};

BOOL WINAPI NoExitWindows(UINT, DWORD) { return FALSE; }
BOOLEAN WINAPI NoSuspend(BOOLEAN, BOOLEAN, BOOLEAN) { return TRUE; }

TEST_F(StartTaskTest, TheWindowKeepsTheTaskAsReservationsAreSavedChangedAndSwitchedOff) {
  SimulatedReceiver receiver{SteadyClock::Instance()};
  SimulatedHidPlatform platform{receiver};
  ReadyMainWindowRig(platform, receiver, 1);
  MemoryKeyValueTree tree;
  SettingsStore settings(tree);
  settings.WriteValue(kGeneralKey, "WAKEUP", "2");  // 15 minutes ahead
  ScriptedDialogs dialogs;
  AppAdapters adapters = TestAdapters(platform, tree, SteadyClock::Instance());
  adapters.scheduler = nullptr;  // the program's own
  adapters.dialogs = &dialogs;
  adapters.powerCalls = PowerCalls{NoExitWindows, NoSuspend};
  adapters.startTask = &store;
  App app(std::move(adapters));
  CMainDlg& dlg = app.Dialog();
  HWND hwnd = app.MakeWindow();
  ASSERT_NE(hwnd, nullptr);

  NoMessage refused;
  auto save = [&](int n, const char* name, int active, LocalDate date, TimeOfDay start) {
    TimerSetting r = LoadReservation(settings, n, date, start);
    r.item = name;
    r.active = active;
    r.frequency = "8000";
    r.dateType = 0;
    r.date = date;
    r.start = start;
    r.stop = {start.hour + 1, start.minute, start.second};
    r.station = "Appointed";
    EXPECT_TRUE(SaveReservation(settings, n, r, 2, refused));
  };
  // Two reservations set in the timer dialog: the task is for the earlier one.
  dialogs.edit = [&] {
    save(1, "Morning News", 1, {2031, 5, 17}, {7, 0, 0});
    save(2, "Jazz", 1, {2031, 5, 16}, {21, 30, 0});
  };
  dlg.Window().OnTimerSettings();
  TaskSeen seen = Task();
  Show("after two reservations are set", seen);
  std::printf("  stored as:\n%s\n", Narrow(seen.xml).c_str());
  ExpectStartTask(seen, kExe, L"2031-05-16T21:15:00", true);
  EXPECT_TRUE(Has(seen.description, L"\"Jazz\" at 2031-05-16 21:30:00 (15 minutes before)"));

  // Jazz moves after Morning News: so does the task.
  dialogs.edit = [&] { save(2, "Jazz", 1, {2031, 5, 18}, {21, 30, 0}); };
  dlg.Window().OnTimerSettings();
  seen = Task();
  Show("after Jazz moved to the 18th", seen);
  ExpectStartTask(seen, kExe, L"2031-05-17T06:45:00", true);
  EXPECT_TRUE(Has(seen.description, L"\"Morning News\" at 2031-05-17 07:00:00"));

  // Morning News off: Jazz's; the wake-up off: a minute ahead, without waking.
  dialogs.edit = [&] {
    save(1, "Morning News", 0, {2031, 5, 17}, {7, 0, 0});
    settings.WriteValue(kGeneralKey, "WAKEUP", "3");
  };
  dlg.Window().OnTimerSettings();
  ExpectStartTask(Task(), kExe, L"2031-05-18T21:29:00", false);

  // The last one switched off: gone, with its folder.
  dialogs.edit = [&] { save(2, "Jazz", 0, {2031, 5, 18}, {21, 30, 0}); };
  dlg.Window().OnTimerSettings();
  EXPECT_FALSE(Task().exists);
  EXPECT_FALSE(reader.FolderExists(kStartTaskFolder));

  // On again, then "Let Windows start Kestrune for reservations" cleared: gone again.
  dialogs.edit = [&] { save(2, "Jazz", 1, {2031, 5, 18}, {21, 30, 0}); };
  dlg.Window().OnTimerSettings();
  EXPECT_TRUE(Task().exists);
  dialogs.edit = [&] { settings.WriteValue(kGeneralKey, kLetWindowsStartValue, "0"); };
  dlg.Window().OnTimerSettings();
  EXPECT_FALSE(Task().exists);
  EXPECT_EQ(store.Remove(), 0u) << "nothing to remove is no failure";
  DestroyWindow(hwnd);
  DrainQuit();
}

TEST_F(StartTaskTest, TheProgramsRemoveTaskSwitchRemovesItForTheUninstaller) {
  std::string exe = std::string("Z:") + KESTRUNE_BINARY_DIR + "/kestrune.exe";
  for (char& c : exe)
    if (c == '/') c = '\\';
  const std::wstring wideExe(exe.begin(), exe.end());
  Win32StartTaskStore programs(wideExe);
  const StartTaskPlan plan{true, 0, At(2031, 5, 17, 7, 0, 0), At(2031, 5, 17, 6, 55, 0), true};
  // Another copy's task (written last by a copy elsewhere) is not this copy's to remove.
  ASSERT_EQ(store.Write(plan, "Morning News"), 0u);
  const UniqueHandle first = StartProgram(exe, "/removetask");
  ASSERT_TRUE(first);
  EXPECT_EQ(WaitForExit(first.Get()), 0u);
  EXPECT_TRUE(Task().exists) << "the program removed another copy's task";
  EXPECT_TRUE(reader.FolderExists(kStartTaskFolder));

  ASSERT_EQ(programs.Write(plan, "Morning News"), 0u);
  ASSERT_TRUE(Task().exists);
  const UniqueHandle process = StartProgram(exe, "/REMOVETASK");
  ASSERT_TRUE(process);
  EXPECT_EQ(WaitForExit(process.Get()), 0u);
  EXPECT_FALSE(Task().exists);
  EXPECT_FALSE(reader.FolderExists(kStartTaskFolder));
  EXPECT_EQ(FindRunningInstance(), nullptr) << "/removetask showed a window";
}

TEST(StartTaskSwitch, OnlyTheWholeWordInAnyCase) {
  EXPECT_TRUE(AsksToRemoveStartTask("/removetask"));
  EXPECT_TRUE(AsksToRemoveStartTask("  /RemoveTask "));
  EXPECT_FALSE(AsksToRemoveStartTask("/tray"));
  EXPECT_FALSE(AsksToRemoveStartTask("/removetasks"));
  EXPECT_FALSE(AsksToRemoveStartTask("x/removetask"));
  EXPECT_FALSE(AsksToRemoveStartTask(nullptr));
}

}  // namespace
