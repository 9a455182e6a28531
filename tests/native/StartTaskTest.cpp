// The task that has Windows start Kestrune for the next reservation: when it starts the program,
// what it says to Task Scheduler, and when the scheduler has it written again, on a fake clock.
// And what the power plan's wake timers mean for the dialogs and the log.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>

#include "base/PathText.h"
#include "schedule/ScheduleReport.h"
#include "schedule/StartTask.h"
#include "settings/WakeTimers.h"
#include "settings/TimerDialogTexts.h"
#include "tests/native/SchedulerRig.h"

namespace {

std::string Text(const LocalTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
  return text;
}

LocalTime At(int y, int mo, int d, int h, int mi, int s) { return CivilTime(CivilSeconds({y, mo, d, 0, h, mi, s})); }

struct Reservation {
  size_t index;
  const char* start;       // HHMMSS
  const char* dayOrDate;   // seven weekday marks (Sunday first) or YYYYMMDD
};

ScheduleTable Table(std::initializer_list<Reservation> reservations) {
  ScheduleTable table{};
  for (const Reservation& r : reservations) {
    ScheduleEntry& e = table[r.index];
    e.active = true;
    e.start = r.start;
    e.weekly = std::string(r.dayOrDate).size() == 7;
    (e.weekly ? e.week : e.date) = r.dayOrDate;
    e.duration = 600;
  }
  return table;
}

TEST(StartTaskRule, TheNextStartMinusTheLeadAtLeastAMinuteAhead) {
  // Monday 7 December 2026, 10:00:00, unless a case says otherwise.
  const LocalTime monday = At(2026, 12, 7, 10, 0, 0);
  struct Case {
    const char* what;
    LocalTime now;
    ScheduleTable table;
    int wakeUp;  // "WAKEUP"
    const char* at;  // when Windows starts the program; nullptr: no task
    const char* start;
    size_t reservation;
  };
  const Case cases[] = {
      {"weekly, later today", monday, Table({{0, "120000", "0100000"}}), 0, "2026-12-07 11:55:00",
       "2026-12-07 12:00:00", 0},
      {"weekly, today's start has passed: next week's", monday, Table({{0, "090000", "0100000"}}), 0,
       "2026-12-14 08:55:00", "2026-12-14 09:00:00", 0},
      {"weekly, another weekday, ten minutes", monday, Table({{3, "070000", "0000100"}}), 1, "2026-12-10 06:50:00",
       "2026-12-10 07:00:00", 3},
      {"one date, fifteen minutes", monday, Table({{5, "201530", "20261224"}}), 2, "2026-12-24 20:00:30",
       "2026-12-24 20:15:30", 5},
      {"one date that has passed", monday, Table({{5, "201500", "20261201"}}), 0, nullptr, nullptr, 0},
      {"no wake-up: a minute before", monday, Table({{0, "120000", "0100000"}}), 3, "2026-12-07 11:59:00",
       "2026-12-07 12:00:00", 0},
      {"the lead has begun: a minute before", monday, Table({{0, "100300", "20261207"}}), 0, "2026-12-07 10:02:00",
       "2026-12-07 10:03:00", 0},
      {"within a minute: left to the running program, the next one taken", monday,
       Table({{0, "100040", "20261207"}, {1, "080000", "0010000"}}), 0, "2026-12-08 07:55:00", "2026-12-08 08:00:00",
       1},
      {"the earliest of several", monday,
       Table({{0, "180000", "20261207"}, {1, "130000", "1111111"}, {2, "110000", "20261209"}}), 0,
       "2026-12-07 12:55:00", "2026-12-07 13:00:00", 1},
      {"the same second: the lower-numbered one records", monday,
       Table({{6, "120000", "20261207"}, {2, "120000", "0100000"}}), 0, "2026-12-07 11:55:00", "2026-12-07 12:00:00",
       2},
      {"over midnight, one date", At(2026, 12, 7, 23, 50, 0), Table({{0, "000300", "20261208"}}), 0,
       "2026-12-07 23:58:00", "2026-12-08 00:03:00", 0},
      {"over midnight, weekly", At(2026, 12, 7, 23, 50, 0), Table({{0, "000200", "0010000"}}), 0,
       "2026-12-07 23:57:00", "2026-12-08 00:02:00", 0},
      {"over the new year", At(2026, 12, 31, 23, 0, 0), Table({{0, "000100", "20270101"}}), 2, "2026-12-31 23:46:00",
       "2027-01-01 00:01:00", 0},
      {"weekly with no day marked", monday, Table({{0, "120000", "0000000"}}), 0, nullptr, nullptr, 0},
      {"no reservation ON", monday, Table({}), 0, nullptr, nullptr, 0},
  };
  for (const Case& c : cases) {
    const StartTaskPlan plan = PlanStartTask(c.table, c.now, {true, c.wakeUp});
    ASSERT_EQ(plan.wanted, c.at != nullptr) << c.what;
    if (!plan.wanted) continue;
    EXPECT_EQ(Text(plan.at), c.at) << c.what;
    EXPECT_EQ(Text(plan.start), c.start) << c.what;
    EXPECT_EQ(plan.reservation, c.reservation) << c.what;
    EXPECT_EQ(plan.wake, c.wakeUp >= 0 && c.wakeUp <= 2) << c.what;
  }
  // Switched off in the PC settings: no task whatever is ON.
  EXPECT_FALSE(PlanStartTask(Table({{0, "120000", "0100000"}}), monday, {false, 0}).wanted);
}

TEST(StartTaskRule, TheTaskAsTaskSchedulerReadsIt) {
  StartTaskPlan plan{true, 1, At(2031, 5, 17, 7, 0, 0), At(2031, 5, 17, 6, 55, 0), true};
  const std::wstring exe = L"C:\\Users\\Ann\\R&D <tools>\\kestrune.exe";
  const std::wstring description = StartTaskDescription(plan, L"Morning \"News\"", exe);
  EXPECT_EQ(description,
            L"Starts Kestrune at 2031-05-17 06:55:00 for the reservation \"Morning \"News\"\" at 2031-05-17 07:00:00 "
            L"(5 minutes before), waking the PC: \"C:\\Users\\Ann\\R&D <tools>\\kestrune.exe\" /tray. Kestrune "
            L"rewrites this task for its next reservation; switch it off in Kestrune's PC Setting.");
  const std::wstring xml = StartTaskXml(plan, exe, L"a\x01line & more");
  for (const wchar_t* part :
       {L"<StartBoundary>2031-05-17T06:55:00</StartBoundary>",
        L"<Command>C:\\Users\\Ann\\R&amp;D &lt;tools&gt;\\kestrune.exe</Command>", L"<Arguments>/tray</Arguments>",
        L"<WorkingDirectory>C:\\Users\\Ann\\R&amp;D &lt;tools&gt;</WorkingDirectory>",
        L"<Description>a line &amp; more</Description>", L"<LogonType>InteractiveToken</LogonType>",
        L"<WakeToRun>true</WakeToRun>", L"<MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>",
        L"<ExecutionTimeLimit>PT0S</ExecutionTimeLimit>", L"<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>",
        L"<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>", L"<Actions Context=\"Author\">",
        L"<Principal id=\"Author\">"})
    EXPECT_NE(xml.find(part), std::wstring::npos) << std::string(part, part + std::wcslen(part));
  // Without the wake-up: no waking, and a minute is a minute.
  plan.wake = false;
  plan.at = At(2031, 5, 17, 6, 59, 0);
  EXPECT_NE(StartTaskXml(plan, exe, L"").find(L"<WakeToRun>false</WakeToRun>"), std::wstring::npos);
  EXPECT_NE(StartTaskDescription(plan, L"X", exe).find(L"(1 minute before): "), std::wstring::npos);
}

// Task Scheduler as a list of what it was asked.
class FakeStartTaskStore final : public IStartTaskStore {
 public:
  uint32_t Write(const StartTaskPlan& plan, const std::string& name) override {
    calls.push_back("write " + name + " " + Text(plan.at) + (plan.wake ? " wake" : ""));
    return writeResult;
  }
  uint32_t Remove() override {
    calls.push_back("remove");
    return removeResult;
  }
  std::vector<std::string> calls;
  uint32_t writeResult = 0;
  uint32_t removeResult = 0;
};

using Lines = std::vector<std::string>;

class FakeReportOutput final : public IReportOutput {
 public:
  void AppendLog(const std::string&, const std::string& line) override { log.push_back(line.substr(21)); }
  bool WindowHidden() override { return false; }
  void Notify(const std::string&, const std::string&) override {}
  Lines log;
};

struct StartTaskRig : SchedulerRig {
  StartTaskRig() {
    scheduler.SetReporter(&reporter);
    scheduler.SetStartTaskKeeper(&keeper);
    SetWall(2026, 12, 7, 9, 59, 50);  // Monday
    Start();
    scheduler.LoadSchedule();  // as the window's start does once it shows
    Tick();
  }
  FakeStartTaskStore taskStore;
  StartTaskKeeper keeper{taskStore, store};
  FakeReportOutput output;
  ScheduleReporter reporter{output};
};

// The uninstaller removes only the installed copy's task: the program a task starts is read from
// its action, or (Wine keeps none) from the description this program writes, and compared as
// Windows compares file names.
TEST(StartTaskRule, ATaskIsThisCopysOnlyWhenItStartsThisVeryFile) {
  const std::wstring exe = L"C:\\Users\\\x0418\x0432\x0430\x043d\\AppData\\Local\\Programs\\Kestrune\\kestrune.exe";
  const StartTaskPlan plan{true, 3, At(2031, 5, 17, 7, 0, 0), At(2031, 5, 17, 6, 55, 0), true};
  const auto described = [&](std::wstring_view name, std::wstring_view program) {
    return StartTaskDescription(plan, name, program);
  };
  const std::wstring other = L"D:\\Portable\\Kestrune\\kestrune.exe";
  std::wstring shouted = exe;
  for (wchar_t& c : shouted) c = PathLetterUpper(c);
  struct Case {
    std::wstring command;
    std::wstring description;
    bool ours;
  };
  const Case cases[] = {
      {exe, L"", true},
      {L"\"" + shouted + L"\"", L"", true},
      {L"  " + exe + L" ", described(L"News", other), true},  // the action decides where there is one
      {other, described(L"News", exe), false},
      {L"", described(L"News", exe), true},
      {L"", described(L"News", shouted), true},
      {L"", described(L"News", other), false},
      {L"", described(L"Say \": \"" + exe + L"\" /tray. \"", other), false},
      {L"", described(L"x", exe + L"x"), false},
      {L"", L"Starts Kestrune for the reservation", false},
      {L"", L"\" /tray. ", false},
      {L"", L"", false},
      {L"\"\"", L"", false},
  };
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(StartTaskStarts(cases[i].command, cases[i].description, exe), cases[i].ours) << "case " << i;
  EXPECT_EQ(StartTaskProgram(L"", described(L"News", other)), other);
  EXPECT_FALSE(StartTaskStarts(exe, L"", L""));
}

TEST(StartTaskKeeping, WrittenAtEveryLoadAndStartOnlyWhenItChangesAndRemovedWithTheLastReservation) {
  StartTaskRig rig;
  EXPECT_EQ(rig.taskStore.calls, Lines{"remove"}) << "nothing ON when the program started";
  rig.taskStore.calls.clear();

  rig.Set("WAKEUP", "0");
  rig.Reserve(1, "News", "100100", "100105", "0100000");  // Mondays 10:01:00, the dialog closed
  EXPECT_EQ(rig.taskStore.calls, Lines{"write News 2026-12-07 10:00:00 wake"}) << "a minute before: the lead began";
  rig.scheduler.LoadSchedule();  // loaded again with nothing changed: nothing to write
  rig.Reserve(2, "Jazz", "120000", "130000", "20261207");
  EXPECT_EQ(rig.taskStore.calls.size(), 1u) << "a later reservation is not the next start";

  // The start is taken: the task moves on to the next one.
  rig.Seconds(70);
  EXPECT_EQ(rig.recorder->starts, 1);
  EXPECT_EQ(rig.taskStore.calls.back(), "write Jazz 2026-12-07 11:55:00 wake");
  const size_t writes = rig.taskStore.calls.size();
  rig.Seconds(10);  // the recording ends: the next start stays where it was
  EXPECT_FALSE(rig.recording.IsRecording());
  EXPECT_EQ(rig.taskStore.calls.size(), writes);

  // The PC settings change: no wake-up, so a minute ahead and no waking; then Windows may not start it.
  rig.Set("WAKEUP", "3");
  rig.scheduler.LoadSchedule();
  EXPECT_EQ(rig.taskStore.calls.back(), "write Jazz 2026-12-07 11:59:00");
  rig.Set(kLetWindowsStartValue, "0");
  rig.scheduler.LoadSchedule();
  EXPECT_EQ(rig.taskStore.calls.back(), "remove");
  rig.Set(kLetWindowsStartValue, "1");
  rig.scheduler.LoadSchedule();
  EXPECT_EQ(rig.taskStore.calls.back(), "write Jazz 2026-12-07 11:59:00");

  // Both switched off: gone.
  rig.tree.PlantString(std::string(kSettingsRoot) + "\\" + TimerKey(1), "ACTIVE", "0");
  rig.tree.PlantString(std::string(kSettingsRoot) + "\\" + TimerKey(2), "ACTIVE", "0");
  rig.scheduler.LoadSchedule();
  EXPECT_EQ(rig.taskStore.calls.back(), "remove");
  EXPECT_FALSE(rig.keeper.Kept()->wanted);
  // The log has the recording, and nothing of Task Scheduler, which did all it was asked.
  EXPECT_EQ(rig.output.log.size(), 2u) << ::testing::PrintToString(rig.output.log);
  EXPECT_EQ(rig.output.log[0].rfind("Started \"News\"", 0), 0u);
}

TEST(StartTaskKeeping, AFailureIsLoggedOnceForEachErrorAndTriedAgainAtTheNextChange) {
  StartTaskRig rig;
  rig.taskStore.writeResult = 0x80041315;  // the service does not run
  rig.Reserve(1, "News", "120000", "130000", "0100000");
  rig.scheduler.LoadSchedule();
  EXPECT_EQ(rig.taskStore.calls.size(), 3u) << "remove, then the write tried at each load";
  EXPECT_FALSE(rig.keeper.Kept());
  EXPECT_EQ(rig.output.log,
            Lines{"Windows' Task Scheduler could not keep the start for the next reservation (error 0x80041315): "
                  "reservations record only while Kestrune runs"});
  rig.taskStore.writeResult = 0x80070005;
  rig.scheduler.LoadSchedule();
  EXPECT_EQ(rig.output.log.size(), 2u);
  EXPECT_NE(rig.output.log.back().find("0x80070005"), std::string::npos);
  rig.taskStore.writeResult = 0;
  rig.scheduler.LoadSchedule();
  ASSERT_TRUE(rig.keeper.Kept());
  EXPECT_EQ(Text(rig.keeper.Kept()->at), "2026-12-07 11:59:00");
  // A removal that fails leaves a task that only starts the program once too often: no line.
  rig.taskStore.removeResult = 0x80041315;
  rig.tree.PlantString(std::string(kSettingsRoot) + "\\" + TimerKey(1), "ACTIVE", "0");
  rig.scheduler.LoadSchedule();
  EXPECT_EQ(rig.taskStore.calls.back(), "remove");
  EXPECT_EQ(rig.output.log.size(), 2u);
}

// ---- The power plan's wake timers ----

class FakePowerPlan final : public IPowerPlan {
 public:
  WakeTimerReading ReadWakeTimers() override { return reading; }
  bool OpenPowerOptions() override { return true; }
  WakeTimerReading reading;
};

TEST(WakeTimers, TheDialogsLineTheListsMarkAndTheLogsNote) {
  using S = WakeTimerSetting;
  EXPECT_EQ(WakeTimerSettingOf(true, 0), S::Disabled);
  EXPECT_EQ(WakeTimerSettingOf(true, 1), S::Enabled);
  EXPECT_EQ(WakeTimerSettingOf(true, 2), S::ImportantOnly);
  EXPECT_EQ(WakeTimerSettingOf(true, 3), S::Unknown);
  EXPECT_EQ(WakeTimerSettingOf(false, 1), S::Unknown);
  struct Case {
    WakeTimerReading reading;
    const char* line;
    bool blocked;
    const char* note;
  };
  const Case cases[] = {
      {{S::Disabled, S::Disabled, true, false}, "Allow wake timers (power plan): plugged in disabled, on battery disabled",
       true, ", but the power plan's wake timers are disabled plugged in: Windows may not wake the PC"},
      {{S::Enabled, S::Enabled, true, false}, "Allow wake timers (power plan): plugged in enabled, on battery enabled",
       false, ""},
      {{S::ImportantOnly, S::ImportantOnly, true, true},
       "Allow wake timers (power plan): plugged in important only, on battery important only", true,
       ", but the power plan's wake timers are important only on battery: Windows may not wake the PC"},
      {{S::Enabled, S::Disabled, true, false}, "Allow wake timers (power plan): plugged in enabled, on battery disabled",
       true, ""},
      // A desktop: its battery value means nothing.
      {{S::Enabled, S::Disabled, false, false}, "Allow wake timers (power plan): plugged in enabled", false, ""},
      {{S::Unknown, S::Disabled, true, true}, "Allow wake timers (power plan): on battery disabled", true,
       ", but the power plan's wake timers are disabled on battery: Windows may not wake the PC"},
      {{S::Unknown, S::Unknown, true, false}, "", false, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WakeTimerLine(c.reading), c.line);
    EXPECT_EQ(WakeTimersKnown(c.reading), *c.line != '\0') << c.line;
    EXPECT_EQ(WakeTimersBlocked(c.reading), c.blocked) << c.line;
    EXPECT_EQ(WakeTimerLogNote(c.reading), c.note) << c.line;
  }
}

TEST(WakeTimers, TheListMarksReservationsThatAreOnWhileThePcWillNotWake) {
  MemoryKeyValueTree tree;
  SettingsStore store(tree);
  store.WriteValue(TimerKey(2), "ACTIVE", "1");
  store.WriteValue(kGeneralKey, "WAKEUP", "1");
  auto onOff = [&](bool blocked, int n) { return ReadTimerListRows(store, blocked)[(n - 1) * kTimerListColumns + 8]; };
  EXPECT_EQ(onOff(true, 2), kOnNoWake);
  EXPECT_EQ(onOff(true, 1), "OFF");
  EXPECT_EQ(onOff(false, 2), "ON");
  store.WriteValue(kGeneralKey, "WAKEUP", "3");  // no wake-up wanted: nothing to warn of
  EXPECT_EQ(onOff(true, 2), "ON");
}

TEST(WakeTimers, TheLogSaysWhenTheArmedWakeTimerWillNotWakeThePc) {
  StartTaskRig rig;
  FakePowerPlan plan;
  plan.reading = {WakeTimerSetting::Disabled, WakeTimerSetting::Enabled, true, false};
  rig.scheduler.SetPowerPlan(&plan);
  rig.Set("STANDBY", "1");
  rig.Set("WAKEUP", "1");
  rig.window.LoadPowerSettings();
  rig.Reserve(1, "First", "100000", "100001", "20261207");
  rig.Reserve(2, "Next", "101600", "101700", "20261207");
  rig.Seconds(12);
  ASSERT_EQ(rig.schedLog.back(), "suspend");
  EXPECT_NE(std::find(rig.output.log.begin(), rig.output.log.end(),
                      "Wake timer armed for \"Next\" at Mon 7 Dec 10:06, but the power plan's wake timers are "
                      "disabled plugged in: Windows may not wake the PC"),
            rig.output.log.end())
      << ::testing::PrintToString(rig.output.log);
}

}  // namespace
