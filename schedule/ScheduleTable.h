#pragma once
// The scheduler's view of the sixteen timer reservations and the arithmetic on wall-clock
// dates and times that deciding what is due needs. Plain data and functions: no clock is read
// here, every "now" is passed in.

#include <array>
#include <cstdint>
#include <string>

#include "base/Clock.h"
#include "settings/AnsiText.h"

class SettingsStore;

// The value of a reservation's key that holds the date and start time ("YYYYMMDDHHMMSS") at
// which the scheduler last started it or let another reservation of the same second go first:
// that start is not made again, not even by the program started anew.
constexpr const char* kLastStartValue = "LASTSTART";

struct ScheduleEntry {
  // Also off when its start, stop or (one-date entry) date is no real time or date.
  bool active = false;
  std::string name;      // "ITEM" as stored
  bool weekly = false;
  std::string date;      // YYYYMMDD
  std::string start;     // HHMMSS, compared as text
  uint32_t duration = 0;  // seconds, 1 … 86400
  std::string week;      // Sunday first, '1' = on
  uint8_t band = 1;
  uint16_t frequency = 0;
  uint16_t bitrate = 128;  // kbit/s
  std::string lastStart;  // kLastStartValue as stored; empty when there is none
};

using ScheduleTable = std::array<ScheduleEntry, 16>;

// Reservation 1 first.
ScheduleTable LoadSchedule(SettingsStore& store);

// Seconds from a start text to a stop text (HHMMSS each), across midnight when the stop is
// earlier; equal times give a whole day (86400), so every reservation ends by itself.
uint32_t ScheduleDuration(const std::string& start, const std::string& stop);

// "QUALITY" index to kbit/s: 0 → 320, 1 → 192, 2 → 128, anything else 64.
uint16_t ScheduleBitrate(int quality);

// ---- Wall-clock arithmetic on local dates, without time zones ----

// Seconds since 1970-01-01 00:00:00 of a local date and time taken as if no clock ever changed:
// two local times one calendar second apart differ by one.
int64_t CivilSeconds(const LocalTime& t);
// The inverse, weekday included.
LocalTime CivilTime(int64_t civilSeconds);

std::string DateText(const LocalTime& t);  // "%04d%02d%02d"
std::string TimeText(const LocalTime& t);  // "%02d%02d%02d"
// "hh:mm:ss" of a count of seconds (a length, a position, a running time); hours go on past 99,
// and a negative count reads 00:00:00.
std::string ClockText(int64_t seconds);

// Whether the entry starts at this local second: active, start text equal to the time text,
// and a one-date entry on its date or a weekly one on a weekday marked '1'.
bool IsDueAt(const ScheduleEntry& entry, const LocalTime& t);

// A reservation name as one path component that stays inside the record folder, taken
// character by character of `codePage`: characters no file name can hold (\ / : * ? " < > |
// and control characters) become '_', as do dots and blanks at its end (Windows drops them) and
// a name of dots and blanks only; a name whose part before the first dot, without the blanks
// that end it, is a device name (CON, NUL, COM1 …) gets a '_' after that part ("nul.txt"
// becomes "nul_.txt"); names are cut to 64 bytes without splitting a character. Empty stays
// empty.
std::string SafeFolderName(const std::string& name, const ICodePage& codePage);

// Where a scheduled recording goes. `folderReady` says whether <record folder>\<name> exists or
// could be made; with an empty name the record folder itself is the folder.
std::string ScheduledFolder(const std::string& recordFolder, const std::string& safeName);
// The file's name in a recording's path, without its folders.
std::string FileNameOf(const std::string& path);
std::string ScheduledFilePath(const std::string& recordFolder, const std::string& safeName, bool folderReady,
                              const std::string& date, const std::string& start);

// Seconds the wake timer waits so that the computer wakes `lead` seconds before a start `s`
// seconds away: s − lead when s > lead, else s − 30 when s > 30, else s.
uint32_t WakeTimerWait(uint32_t secondsToStart, uint32_t lead);
// Lead for a "WAKEUP" index: 300, 600, 900 s for 0, 1, 2; 0 (no wake-up) for anything else.
uint32_t WakeLead(int wakeUpIndex);
