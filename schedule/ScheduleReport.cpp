#include "schedule/ScheduleReport.h"

#include <algorithm>
#include <cstdio>

#include "settings/SettingsStore.h"

namespace {

constexpr const char* kTitle = "Kestrune";
// A notification's text holds 255 bytes.
constexpr size_t kNotifyBytes = 255;

std::string LogTime(const LocalTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return text;
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

}  // namespace

std::string StampText(const LocalTime& t) { return DateText(t) + TimeText(t); }

bool ParseStamp(const std::string& text, LocalTime& t) {
  if (text.size() != 14) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  auto field = [&](size_t at, size_t length) { return std::stoi(text.substr(at, length)); };
  LocalTime parsed{field(0, 4), field(4, 2), field(6, 2), 0, field(8, 2), field(10, 2), field(12, 2)};
  if (parsed.month < 1 || parsed.month > 12 || parsed.day < 1 || parsed.hour > 23 || parsed.minute > 59 ||
      parsed.second > 59)
    return false;
  const LocalTime back = CivilTime(CivilSeconds(parsed));
  if (back.day != parsed.day || back.month != parsed.month) return false;  // 31 November
  t = back;
  return true;
}

std::string ShortDateTime(const LocalTime& t) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  char text[48];
  std::snprintf(text, sizeof text, "%s %d %s %02d:%02d", kDays[(t.weekday % 7 + 7) % 7], t.day,
                kMonths[(t.month - 1 + 12) % 12], t.hour, t.minute);
  return text;
}

void ScheduleReporter::Tell(const std::string& text) {
  if (output_.WindowHidden()) output_.Notify(kTitle, text);
}

void ScheduleReporter::Started(const std::string& folder, const std::string& name, const std::string& file,
                               const LocalTime& now) {
  output_.AppendLog(folder, LogTime(now) + "  Started " + Quoted(name) + ": " + file);
  Tell("Recording " + Quoted(name) + " into " + FileNameOf(file));
}

void ScheduleReporter::Resumed(const std::string& folder, const std::string& name, const std::string& file,
                               int64_t gapSeconds, const LocalTime& now) {
  output_.AppendLog(folder, LogTime(now) + "  Resumed " + Quoted(name) + ": " + file + ", " + ClockText(gapSeconds) +
                                " not recorded");
  Tell("Recording " + Quoted(name) + " again into " + FileNameOf(file));
}

void ScheduleReporter::StartedByHand(const std::string& folder, const std::string& file, const LocalTime& now) {
  output_.AppendLog(folder, LogTime(now) + "  Started recording: " + file);
}

void ScheduleReporter::MissedPart(const std::string& folder, const std::string& name, const LocalTime& from,
                                  int64_t seconds, const std::string& why, const LocalTime& now) {
  output_.AppendLog(folder, LogTime(now) + "  Missed " + ClockText(seconds) + " of " + Quoted(name) + " from " +
                                ShortDateTime(from) + ": " + why);
}

std::string ShownReservationName(const std::string& name, int index) {
  return name.empty() ? "Reserve " + std::to_string(index + 1) : name;
}

std::string EndReasonText(const RecordingEnd& end) {
  switch (end.reason) {
    case RecordingEndReason::TimeUp: return "time up";
    case RecordingEndReason::ByHand: return "stopped by hand";
    case RecordingEndReason::Standby: return "standby";
    case RecordingEndReason::ProgramClosed: return "program closed";
    case RecordingEndReason::EndOfSession: return "end of session";
    case RecordingEndReason::ReceiverRemoved: return "receiver removed";
    case RecordingEndReason::HandedOver: return "handed over to " + Quoted(end.handedTo);
    case RecordingEndReason::WriteFailure: return "write failure";
    case RecordingEndReason::CaptureStopped: return "capture stopped";
  }
  return "ended";
}

void ScheduleReporter::Ended(const std::string& folder, const RecordingEnd& end, const LocalTime& now) {
  const bool reservation = end.kind == RecordingKind::Reservation;
  const std::string who = reservation ? Quoted(ShownReservationName(end.name, end.reservation)) : "recording";
  if (end.afterEnd) {
    // Found by the writer once the recording had ended and been told.
    output_.AppendLog(folder, LogTime(now) + "  Failed " + who + " while finishing " + end.file + ": " + end.failure);
    Tell(end.failure + " " + FileNameOf(end.file));
    return;
  }
  std::string line = LogTime(now) + "  Ended " + who + ": " + end.file + ", " + ClockText(end.seconds) + ", " +
                     EndReasonText(end);
  if (end.lostSeconds) line += ", " + std::to_string(end.lostSeconds) + " s lost";
  if (!end.failure.empty()) line += ". " + end.failure;
  output_.AppendLog(folder, line);
  if (!end.failure.empty()) Tell(end.failure + " " + FileNameOf(end.file));
  else if (reservation) Tell("Recorded " + who + ": " + FileNameOf(end.file) + ", " + ClockText(end.seconds));
}

void ScheduleReporter::Failed(const std::string& folder, const std::string& name, const std::string& why,
                              const LocalTime& now) {
  output_.AppendLog(folder, LogTime(now) + "  Failed " + Quoted(name) + ": " + why);
  Tell("Could not record " + Quoted(name) + ": " + why);
}

std::string UnfinishedFileLine(const std::string& file, const LocalTime& now) {
  return LogTime(now) + "  Kestrune ended before this file was completely written: " + file;
}

void ScheduleReporter::Notice(const std::string& text) { output_.Notify(kTitle, text); }

void ScheduleReporter::PowerAction(const std::string& folder, const std::string& what, const LocalTime& now) {
  output_.AppendLog(folder, LogTime(now) + "  " + what);
}

std::string MissCauseText(MissCause cause) {
  switch (cause) {
    case MissCause::NotRunning: return "Kestrune was not running";
    case MissCause::Asleep: return "the PC was asleep";
    case MissCause::ClockChanged: return "the clock was changed";
    case MissCause::Busy: return "Kestrune was held up";
  }
  return "missed";
}

void ScheduleReporter::Missed(const std::string& folder, const std::vector<std::pair<std::string, LocalTime>>& missed,
                              MissCause cause, const LocalTime& now) {
  if (missed.empty()) return;
  static const char* const kHeading[] = {"Missed while Kestrune was not running:", "Missed while the PC was asleep:",
                                         "Missed when the clock was changed:", "Missed while Kestrune was held up:"};
  const size_t c = static_cast<size_t>(cause);
  for (const auto& [name, at] : missed)
    output_.AppendLog(folder, LogTime(now) + "  Missed " + Quoted(name) + " of " + ShortDateTime(at) + ": " + MissCauseText(cause));
  // The most recent first: the one a user is likeliest to look for. Whole entries only: a name's
  // bytes are never cut.
  std::string text = kHeading[c];
  for (size_t i = 0; i < missed.size(); ++i) {
    const auto& [name, at] = missed[missed.size() - 1 - i];
    const std::string entry = (i == 0 ? " " : "\n") + name + ", " + ShortDateTime(at);
    const std::string more = "\n... and " + std::to_string(missed.size() - i) + " more in " + kLogFileName;
    const bool last = i + 1 == missed.size();
    if (text.size() + entry.size() + (last ? 0 : more.size()) > kNotifyBytes) {
      text += more;
      break;
    }
    text += entry;
  }
  output_.Notify(kTitle, text);
}
