#include "schedule/StartTask.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "base/PathText.h"
#include "schedule/ScheduleReport.h"
#include "settings/PowerSettings.h"
#include "settings/SettingsStore.h"

namespace {

std::wstring Widened(std::string_view ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::wstring Printed(const char* format, int a, int b, int c, int d = 0, int e = 0, int f = 0) {
  char text[64];
  std::snprintf(text, sizeof text, format, a, b, c, d, e, f);
  return Widened(text);
}

// Text content of an element: the five characters XML reserves become references, and control
// characters (no XML 1.0 document may hold them) become blanks.
std::wstring Escaped(std::wstring_view text) {
  std::wstring out;
  for (wchar_t c : text) {
    switch (c) {
      case L'&': out += L"&amp;"; break;
      case L'<': out += L"&lt;"; break;
      case L'>': out += L"&gt;"; break;
      case L'"': out += L"&quot;"; break;
      case L'\'': out += L"&apos;"; break;
      default: out += (c < 0x20 && c != L'\t' && c != L'\n' && c != L'\r') ? L' ' : c;
    }
  }
  return out;
}

std::wstring DateTimeText(const LocalTime& t) {
  return Printed("%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

}  // namespace

bool operator==(const StartTaskPlan& a, const StartTaskPlan& b) {
  if (a.wanted != b.wanted) return false;
  if (!a.wanted) return true;
  return a.reservation == b.reservation && a.wake == b.wake && CivilSeconds(a.start) == CivilSeconds(b.start) &&
         CivilSeconds(a.at) == CivilSeconds(b.at);
}

StartTaskSettings LoadStartTaskSettings(SettingsStore& store) {
  const PowerSettings power = LoadPowerSettings(store);
  return {power.letWindowsStart, power.wakeUp};
}

StartTaskPlan PlanStartTask(const std::vector<Occurrence>& upcoming, const LocalTime& now,
                            const StartTaskSettings& settings) {
  StartTaskPlan plan;
  if (!settings.letWindowsStart) return plan;
  const int64_t nowSecond = CivilSeconds(now);
  const uint32_t wakeLead = WakeLead(settings.wakeUp);
  const int64_t lead = std::max(wakeLead, kStartTaskMinimumLead);
  for (const Occurrence& o : upcoming) {
    const int64_t start = o.StartCivil();
    if (start <= nowSecond) continue;
    int64_t at = start - lead;
    if (at <= nowSecond) at = start - kStartTaskMinimumLead;
    if (at <= nowSecond) continue;
    return {true, o.index, o.start, CivilTime(at), wakeLead > 0};
  }
  return plan;
}

namespace {

// Local time read as if no clock ever changed.
class CivilCalendar final : public ISchedulerClock {
 public:
  int64_t NowSeconds() override { return 0; }
  int64_t LocalToSeconds(const LocalTime& t) override { return CivilSeconds(t); }
  LocalTime SecondsToLocal(int64_t seconds) override { return CivilTime(seconds); }
};

}  // namespace

StartTaskPlan PlanStartTask(const ScheduleTable& table, const LocalTime& now, const StartTaskSettings& settings) {
  CivilCalendar calendar;
  const int64_t from = CivilSeconds(now) + 1;
  // Today and the eight days after it: today's weekday comes again in a week.
  return PlanStartTask(
      OccurrencesBetween(table, from, from + 8 * 86400, calendar, std::numeric_limits<int64_t>::max()), now,
      settings);
}

std::wstring TaskTimeText(const LocalTime& t) {
  return Printed("%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

std::wstring StartTaskDescription(const StartTaskPlan& plan, std::wstring_view name, std::wstring_view exe) {
  const int64_t lead = CivilSeconds(plan.start) - CivilSeconds(plan.at);
  const std::wstring ahead = lead % 60 == 0 ? std::to_wstring(lead / 60) + (lead == 60 ? L" minute" : L" minutes")
                                            : std::to_wstring(lead) + L" seconds";
  std::wstring text = L"Starts Kestrune at " + DateTimeText(plan.at) + L" for the reservation \"" + std::wstring(name) +
                      L"\" at " + DateTimeText(plan.start) + L" (" + ahead + L" before)";
  if (plan.wake) text += L", waking the PC";
  text += L": \"" + std::wstring(exe) + L"\" /tray. Kestrune rewrites this task for its next reservation; "
                                        L"switch it off in Kestrune's PC Setting.";
  return text;
}

std::wstring StartTaskProgram(std::wstring_view command, std::wstring_view description) {
  const size_t first = command.find_first_not_of(L" \t");
  if (first != std::wstring_view::npos) {
    command.remove_prefix(first);
    command = command.substr(0, command.find_last_not_of(L" \t") + 1);
    if (command.size() >= 2 && command.front() == L'"' && command.back() == L'"')
      command = command.substr(1, command.size() - 2);
    if (!command.empty()) return std::wstring(command);
  }
  // The last quoted program before " /tray." : a reservation's name, quoted earlier in the text,
  // may hold quotes of its own, a path cannot.
  const size_t close = description.rfind(L"\" /tray. ");
  if (close == std::wstring_view::npos || close == 0) return {};
  const size_t open = description.rfind(L'"', close - 1);
  if (open == std::wstring_view::npos || open < 2 || description.substr(open - 2, 2) != L": ") return {};
  return std::wstring(description.substr(open + 1, close - open - 1));
}

bool StartTaskStarts(std::wstring_view command, std::wstring_view description, std::wstring_view exe) {
  const std::wstring program = StartTaskProgram(command, description);
  return !program.empty() && SamePathText(program, exe);
}

std::wstring StartTaskXml(const StartTaskPlan& plan, std::wstring_view exe, std::wstring_view description) {
  const wchar_t* wake = plan.wake ? L"true" : L"false";
  // Started in its own folder, as from Explorer, rather than in Task Scheduler's System32.
  const size_t cut = exe.find_last_of(L"\\/");
  const std::wstring_view folder = cut == std::wstring_view::npos ? std::wstring_view() : exe.substr(0, cut);
  return L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"
         L"<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\n"
         L"  <RegistrationInfo>\n"
         L"    <Author>Kestrune</Author>\n"
         L"    <Description>" + Escaped(description) + L"</Description>\n"
         L"  </RegistrationInfo>\n"
         L"  <Triggers>\n"
         L"    <TimeTrigger>\n"
         L"      <StartBoundary>" + TaskTimeText(plan.at) + L"</StartBoundary>\n"
         L"      <Enabled>true</Enabled>\n"
         L"    </TimeTrigger>\n"
         L"  </Triggers>\n"
         L"  <Principals>\n"
         L"    <Principal id=\"Author\">\n"
         L"      <LogonType>InteractiveToken</LogonType>\n"
         L"      <RunLevel>LeastPrivilege</RunLevel>\n"
         L"    </Principal>\n"
         L"  </Principals>\n"
         L"  <Settings>\n"
         L"    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\n"
         L"    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\n"
         L"    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\n"
         L"    <AllowHardTerminate>true</AllowHardTerminate>\n"
         L"    <StartWhenAvailable>true</StartWhenAvailable>\n"
         L"    <RunOnlyIfNetworkAvailable>false</RunOnlyIfNetworkAvailable>\n"
         L"    <IdleSettings>\n"
         L"      <StopOnIdleEnd>false</StopOnIdleEnd>\n"
         L"      <RestartOnIdle>false</RestartOnIdle>\n"
         L"    </IdleSettings>\n"
         L"    <AllowStartOnDemand>true</AllowStartOnDemand>\n"
         L"    <Enabled>true</Enabled>\n"
         L"    <Hidden>false</Hidden>\n"
         L"    <RunOnlyIfIdle>false</RunOnlyIfIdle>\n"
         L"    <WakeToRun>" + wake + L"</WakeToRun>\n"
         L"    <ExecutionTimeLimit>PT0S</ExecutionTimeLimit>\n"
         L"    <Priority>4</Priority>\n"
         L"  </Settings>\n"
         L"  <Actions Context=\"Author\">\n"
         L"    <Exec>\n"
         L"      <Command>" + Escaped(exe) + L"</Command>\n"
         L"      <Arguments>/tray</Arguments>\n"
         L"      <WorkingDirectory>" + Escaped(folder) + L"</WorkingDirectory>\n"
         L"    </Exec>\n"
         L"  </Actions>\n"
         L"</Task>\n";
}

std::string ResultCodeText(uint32_t code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
  return text;
}

void StartTaskKeeper::Update(const ScheduleTable& table, const std::vector<Occurrence>& upcoming,
                             const LocalTime& now) {
  const StartTaskPlan plan = PlanStartTask(upcoming, now, LoadStartTaskSettings(settings_));
  if (kept_ && *kept_ == plan) return;
  const uint32_t result =
      plan.wanted ? store_.Write(plan, ShownReservationName(table[plan.reservation].name, static_cast<int>(plan.reservation)))
                  : store_.Remove();
  if (result == 0) {
    kept_ = plan;
    lastFailure_ = 0;
    return;
  }
  // Not known what Windows holds now: the next change tries again.
  kept_.reset();
  // A task left behind only starts the program once more, for nothing: not worth a line.
  if (!plan.wanted || result == lastFailure_) return;
  lastFailure_ = result;
  if (report_)
    report_("Windows' Task Scheduler could not keep the start for the next reservation (error " +
            ResultCodeText(result) + "): reservations record only while Kestrune runs");
}
