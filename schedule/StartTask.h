#pragma once
// The task that has Windows start Kestrune for the next reservation. A reservation records only
// while the program runs; this one task in Windows' Task Scheduler, which Windows keeps across
// restarts and runs whether the program is open or not, starts "kestrune.exe /tray" shortly
// before the next start (waking the PC when the wake-up is chosen), and the running program
// records as always. The program rewrites it whenever the schedule, the PC settings or the next
// start change, and removes it when no reservation is ON or the user switched it off.
//
// Plain rules here: when the task starts the program, what it says to Task Scheduler, and when
// it must be written again. The Win32 adapter (schedule/win32/Win32StartTask) registers it.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/Clock.h"
#include "schedule/Occurrences.h"
#include "schedule/ScheduleTable.h"

class SettingsStore;

// What the rule needs of the PC settings.
struct StartTaskSettings {
  bool letWindowsStart = true;  // "Let Windows start Kestrune for reservations"
  int wakeUp = 3;               // "WAKEUP": 0, 1, 2 = 5, 10, 15 minutes ahead; else no wake-up
};
StartTaskSettings LoadStartTaskSettings(SettingsStore& store);

// The task Windows should hold: none, or one that starts the program at `at` (local wall-clock
// time) for reservation `reservation`'s start at `start`.
struct StartTaskPlan {
  bool wanted = false;
  size_t reservation = 0;  // 0..15
  LocalTime start;
  LocalTime at;
  bool wake = false;  // "wake the computer to run this task": the wake-up is chosen
  friend bool operator==(const StartTaskPlan& a, const StartTaskPlan& b);
};

// Windows needs a moment to bring the program up: it starts it at least this long before a start.
constexpr uint32_t kStartTaskMinimumLead = 60;

// The task for the earliest of the `upcoming` occurrences (pending, the earliest first, as the
// occurrence plan gives them) that starts after `now`. The program starts the wake-up lead
// before it (at least kStartTaskMinimumLead); when that moment has passed, kStartTaskMinimumLead
// before it; a start closer than that is left to the running program and the next one is taken.
// Of starts in the same second the lower-numbered reservation is named, as it is the one that
// records. The task, like a reservation, is placed on the local clock.
StartTaskPlan PlanStartTask(const std::vector<Occurrence>& upcoming, const LocalTime& now,
                            const StartTaskSettings& settings);
// The same for the table's occurrences on a local clock without daylight saving.
StartTaskPlan PlanStartTask(const ScheduleTable& table, const LocalTime& now, const StartTaskSettings& settings);

// "2031-05-17T06:55:00": a task trigger's local start time (no zone: it follows the local clock).
std::wstring TaskTimeText(const LocalTime& t);

// The task as Task Scheduler's XML (schema 1.2, Windows 7 and later): a time trigger at the plan's
// moment; "<exe>" /tray in the program's folder; run only when the user is logged on (interactive token); no execution
// time limit; started and not stopped on batteries; a new instance ignored while one runs; the PC
// woken when the plan says so; started as soon as possible when its moment was missed (the PC was
// off then); normal priority, as Task Scheduler would otherwise start it below normal, with low
// I/O priority, for a program that records sound. Text is escaped for XML.
std::wstring StartTaskXml(const StartTaskPlan& plan, std::wstring_view exe, std::wstring_view description);

// What the task tells a user who finds it in Task Scheduler (and what a test can read back where
// Task Scheduler keeps no trigger or action): the reservation, its start, the moment and the
// command. `name` is the reservation's shown name.
std::wstring StartTaskDescription(const StartTaskPlan& plan, std::wstring_view name, std::wstring_view exe);

// The program a task found in Task Scheduler starts, to tell this copy's task from another copy's:
// its exec action's `command` (surrounding quotes aside) when it has one; otherwise the program
// that StartTaskDescription quotes in the task's `description`, since Wine 8 keeps no action of a
// task given as XML (Windows always keeps it). Empty when neither names one.
std::wstring StartTaskProgram(std::wstring_view command, std::wstring_view description);
// True when that program is `exe`, compared as Windows compares file names; false for an empty one.
bool StartTaskStarts(std::wstring_view command, std::wstring_view description, std::wstring_view exe);

// Windows' Task Scheduler, as the keeper uses it. Results are 0 or the system's error code.
class IStartTaskStore {
 public:
  virtual ~IStartTaskStore() = default;
  // Registers the task for `plan` (replacing the one there). `name` is the reservation's shown
  // name, text of the ANSI code page.
  virtual uint32_t Write(const StartTaskPlan& plan, const std::string& name) = 0;
  // Removes the task; 0 also when there was none.
  virtual uint32_t Remove() = 0;
};

// Keeps Windows' task in step with the schedule: told whenever the schedule was loaded (the
// timer dialog closed, the settings were reset, the program started) or a start was taken, it
// writes the task only when what it should say changed, and removes it when none is wanted. A
// failure to write is reported once for each error; any failure is tried again at the next change.
class StartTaskKeeper {
 public:
  // Both must outlive the keeper; the PC settings are read from `settings` at every update.
  StartTaskKeeper(IStartTaskStore& store, SettingsStore& settings) : store_(store), settings_(settings) {}

  // `upcoming` as for PlanStartTask; the table names the reservation.
  void Update(const ScheduleTable& table, const std::vector<Occurrence>& upcoming, const LocalTime& now);
  // Where failures are told (a line of the log); none by default.
  void SetReport(std::function<void(const std::string&)> report) { report_ = std::move(report); }
  // What Windows holds as far as the keeper knows; nothing before the first update or after a failure.
  const std::optional<StartTaskPlan>& Kept() const { return kept_; }

 private:
  IStartTaskStore& store_;
  SettingsStore& settings_;
  std::optional<StartTaskPlan> kept_;
  uint32_t lastFailure_ = 0;
  std::function<void(const std::string&)> report_;
};

// "0x80041315" of a result code.
std::string ResultCodeText(uint32_t code);
