#pragma once
// What the scheduler tells the user of its reservations: every start, end, failure and miss as
// one dated line of "Kestrune log.txt" in the record folder, so that what happened overnight can
// be read in the morning, and a tray notification for each miss and, while the window is hidden
// in the tray, for a start, an end and a failure.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "schedule/ScheduleTable.h"
#include "schedule/SchedulerPorts.h"

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
  // Returns when the lines appended so far are written, or after a short bounded wait: the
  // process is about to end.
  virtual void Flush() {}
};

// "YYYYMMDDHHMMSS" of a local time, and back; false for text that is no such time.
std::string StampText(const LocalTime& t);
bool ParseStamp(const std::string& text, LocalTime& t);

// Why a reservation's start was missed.
enum class MissCause {
  NotRunning,    // the program was not running
  Asleep,        // the PC slept through it (no wake timer, or one that did not wake it)
  ClockChanged,  // the clock was set forward over it
  Busy,          // the window's thread was held up for longer than the catch-up
};

// "Kestrune was not running", "the PC was asleep" ...
std::string MissCauseText(MissCause cause);

// "Reserve n" for an unnamed reservation (0-based `index`), as the timer list shows it.
std::string ShownReservationName(const std::string& name, int index);

// The dated log line of a file the program ended before it was completely written.
std::string UnfinishedFileLine(const std::string& file, const LocalTime& now);

class ScheduleReporter {
 public:
  explicit ScheduleReporter(IReportOutput& output) : output_(output) {}

  // `name` is the reservation's shown name.
  void Started(const std::string& folder, const std::string& name, const std::string& file, const LocalTime& now);
  // A reservation cut short goes on into a new file; `gapSeconds` were not recorded meanwhile.
  void Resumed(const std::string& folder, const std::string& name, const std::string& file, int64_t gapSeconds,
               const LocalTime& now);
  // A recording by hand began.
  void StartedByHand(const std::string& folder, const std::string& file, const LocalTime& now);
  // The first `seconds` of a reservation's occurrence from `from` were not recorded, for `why`.
  void MissedPart(const std::string& folder, const std::string& name, const LocalTime& from, int64_t seconds,
                  const std::string& why, const LocalTime& now);
  // One line for every end of every recording: its reason, length and the audio lost, and the
  // failure the user was told. A notification for a reservation's end and for every failure.
  void Ended(const std::string& folder, const RecordingEnd& end, const LocalTime& now);
  void Failed(const std::string& folder, const std::string& name, const std::string& why, const LocalTime& now);
  // One line each, one notification for them all, the most recent first.
  void Missed(const std::string& folder, const std::vector<std::pair<std::string, LocalTime>>& missed,
              MissCause cause, const LocalTime& now);
  // A file the program ended before it was completely written (UnfinishedFileLine).
  void Unfinished(const std::string& folder, const std::string& file, const LocalTime& now) {
    output_.AppendLog(folder, UnfinishedFileLine(file, now));
  }
  // Standby, shutdown, close, a wake timer armed: a line of the log.
  void PowerAction(const std::string& folder, const std::string& what, const LocalTime& now);
  void Flush() { output_.Flush(); }
  // A notification of its own (the window may be hidden or not).
  void Notice(const std::string& text);

 private:
  void Tell(const std::string& text);
  IReportOutput& output_;
};


// "Mon 7 Dec 07:00".
std::string ShortDateTime(const LocalTime& t);
// "time up", "handed over to \"Y\"" ...: why a recording ended, as the log says it.
std::string EndReasonText(const RecordingEnd& end);
