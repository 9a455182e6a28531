#pragma once
// What the scheduler tells the user of its reservations: every start, end, failure and miss as
// one dated line of "Kestrune log.txt" in the record folder, so that what happened overnight can
// be read in the morning, and a tray notification for each miss and, while the window is hidden
// in the tray, for a start, an end and a failure. Also which starts were missed while the
// program was not running.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "schedule/ScheduleTable.h"

// The value of the general key that holds the local time ("YYYYMMDDHHMMSS") the program was last
// running at: kept once a minute and at the end of a run.
constexpr const char* kLastRunningValue = "LASTRUN";
constexpr const char* kLogFileName = "Kestrune log.txt";

// Where the reports go: the log file and the tray.
class IReportOutput {
 public:
  virtual ~IReportOutput() = default;
  // Appends `line` and a line end to kLogFileName in `folder`; nothing when it cannot be written.
  virtual void AppendLog(const std::string& folder, const std::string& line) = 0;
  virtual bool WindowHidden() = 0;
  // A tray notification (balloon).
  virtual void Notify(const std::string& title, const std::string& text) = 0;
};

struct MissedStart {
  size_t index;  // of the reservation
  LocalTime at;  // its start
};

// The starts of active reservations in (`after`, `upTo`] (civil seconds) that did not record:
// neither the start a reservation last made (`started`, as "YYYYMMDDHHMMSS") nor, at the same
// second, one that gave way. Oldest first; starts more than 366 days back are not looked for.
std::vector<MissedStart> MissedStarts(const ScheduleTable& table, const std::array<std::string, 16>& started,
                                      int64_t after, int64_t upTo);

// "YYYYMMDDHHMMSS" of a local time, and back; false for text that is no such time.
std::string StampText(const LocalTime& t);
bool ParseStamp(const std::string& text, LocalTime& t);

class ScheduleReporter {
 public:
  explicit ScheduleReporter(IReportOutput& output) : output_(output) {}

  void Started(const std::string& folder, const std::string& name, const std::string& file, const LocalTime& now);
  void Ended(const std::string& folder, const std::string& name, const std::string& file, int64_t seconds,
             const LocalTime& now);
  void Failed(const std::string& folder, const std::string& name, const std::string& why, const LocalTime& now);
  // One line each, one notification for them all.
  void Missed(const std::string& folder, const std::vector<std::pair<std::string, LocalTime>>& missed,
              const LocalTime& now);

 private:
  void Tell(const std::string& text);
  IReportOutput& output_;
};

// "Mon 7 Dec 07:00".
std::string ShortDateTime(const LocalTime& t);
