#include "schedule/ScheduleTable.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string_view>
#include <vector>

#include "device/BandPlan.h"
#include "settings/SettingsStore.h"
#include "settings/TimerSetting.h"

namespace {

// Characters at..at+length of a stored text, converted as every stored number is; a text too
// short for the field gives what is there (possibly nothing, so 0).
int Field(const std::string& text, size_t at, size_t length) {
  return at < text.size() ? StrToIntLike(text.substr(at, length)) : 0;
}

int64_t TimeOfDaySeconds(const std::string& hhmmss) {
  return int64_t{Field(hhmmss, 0, 2)} * 3600 + int64_t{Field(hhmmss, 2, 2)} * 60 + Field(hhmmss, 4, 2);
}

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

bool IsDeviceName(std::string_view name) {
  std::string upper;
  for (char c : name) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL") return true;
  return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) && upper[3] >= '0' &&
         upper[3] <= '9';
}

bool IsDigits(const std::string& text, size_t length) {
  if (text.size() != length) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// "HHMMSS" of a real time of day.
bool IsTimeOfDayText(const std::string& text) {
  return IsDigits(text, 6) && Field(text, 0, 2) < 24 && Field(text, 2, 2) < 60 && Field(text, 4, 2) < 60;
}

// "YYYYMMDD" of a real calendar date.
bool IsDateText(const std::string& text) {
  if (!IsDigits(text, 8)) return false;
  const int year = Field(text, 0, 4), month = Field(text, 4, 2), day = Field(text, 6, 2);
  if (month < 1 || month > 12 || day < 1) return false;
  static constexpr int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
  return day <= (month == 2 && !leap ? 28 : kDays[month - 1]);
}

// Leaves room under MAX_PATH for the folder, the date and time and the extension.
constexpr size_t kMaxNameLength = 64;

}  // namespace

uint32_t ScheduleDuration(const std::string& start, const std::string& stop) {
  const int64_t begin = TimeOfDaySeconds(start);
  const int64_t end = TimeOfDaySeconds(stop);
  const int64_t seconds = end > begin ? end - begin : end - begin + 86400;
  // Out of range only for texts that are no times; those never record, but nothing may come of
  // them that never ends.
  return static_cast<uint32_t>(std::clamp<int64_t>(seconds, 1, 86400));
}

uint16_t ScheduleBitrate(int quality) {
  switch (quality) {
    case 0: return 320;
    case 1: return 192;
    case 2: return 128;
    default: return 64;
  }
}

ScheduleTable LoadSchedule(SettingsStore& store) {
  SettingsStore::KeyReuse reuse(store);
  ScheduleTable table;
  for (int n = 1; n <= kTimerSettingCount; ++n) {
    const std::string key = TimerKey(n);
    ScheduleEntry& e = table[n - 1];
    e.active = store.ReadNumber(key, "ACTIVE") > 0;
    e.name = store.ReadValue(key, "ITEM");
    e.weekly = store.ReadNumber(key, "DATETYPE") >= 1;
    e.date = store.ReadValue(key, "DATE");
    e.start = store.ReadValue(key, "STARTTIME");
    const std::string stop = store.ReadValue(key, "ENDSTART");
    e.duration = ScheduleDuration(e.start, stop);
    // A time or date no clock shows must not wake the computer nor record for a made-up length.
    if (!IsTimeOfDayText(e.start) || !IsTimeOfDayText(stop) || (!e.weekly && !IsDateText(e.date))) e.active = false;
    e.week = store.ReadValue(key, "WEEK");
    const int band = store.ReadNumber(key, "ISAMFM");
    e.band = band == 0 ? BandAM : band == 1 ? BandFM : BandSW;
    e.frequency = static_cast<uint16_t>(store.ReadNumber(key, "FREQ"));
    e.bitrate = ScheduleBitrate(store.ReadNumber(key, "QUALITY"));
    e.lastStart = store.ReadOptionalValue(key, kLastStartValue);
  }
  return table;
}

int64_t CivilSeconds(const LocalTime& t) {
  return DaysFromCivil(t.year, t.month, t.day) * 86400 + int64_t{t.hour} * 3600 + int64_t{t.minute} * 60 + t.second;
}

LocalTime CivilTime(int64_t civilSeconds) {
  const int64_t days = FloorDiv(civilSeconds, 86400);
  const int64_t secs = civilSeconds - days * 86400;
  const int64_t z = days + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  LocalTime t;
  t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2));
  t.weekday = static_cast<int>(days + 4 - FloorDiv(days + 4, 7) * 7);  // 1970-01-01 was a Thursday
  t.hour = static_cast<int>(secs / 3600);
  t.minute = static_cast<int>(secs % 3600 / 60);
  t.second = static_cast<int>(secs % 60);
  return t;
}

std::string DateText(const LocalTime& t) {
  char text[48];
  std::snprintf(text, sizeof text, "%04d%02d%02d", t.year, t.month, t.day);
  return text;
}

std::string TimeText(const LocalTime& t) {
  char text[48];
  std::snprintf(text, sizeof text, "%02d%02d%02d", t.hour, t.minute, t.second);
  return text;
}

std::string ClockText(int64_t seconds) {
  if (seconds < 0) seconds = 0;
  char text[32];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                static_cast<long long>(seconds % 3600 / 60), static_cast<long long>(seconds % 60));
  return text;
}

std::string FileNameOf(const std::string& path) {
  const size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool IsDueAt(const ScheduleEntry& entry, const LocalTime& t) {
  if (!entry.active || entry.start != TimeText(t)) return false;
  if (entry.weekly) {
    const auto day = static_cast<size_t>(t.weekday);
    return day < entry.week.size() && entry.week[day] == '1';
  }
  return entry.date == DateText(t);
}

std::string SafeFolderName(const std::string& name, const ICodePage& codePage) {
  std::string safe = CutToBytes(codePage, name, kMaxNameLength);
  // Where each character begins; two-byte characters are kept whole, whatever their second byte.
  std::vector<size_t> starts;
  for (size_t at = 0; at < safe.size(); at += CharacterLength(codePage, safe, at)) starts.push_back(at);
  auto single = [&](size_t at) { return CharacterLength(codePage, safe, at) == 1; };
  for (size_t at : starts) {
    const auto u = static_cast<unsigned char>(safe[at]);
    // A lead byte without its second byte (cut data) is no character either.
    if (single(at) && (u < 0x20 || u == 0x7F || codePage.IsLeadByte(u) ||
                       std::string_view("\\/:*?\"<>|").find(safe[at]) != std::string_view::npos))
      safe[at] = '_';
  }
  // "..", "." and blanks would name the record folder's parent, the folder itself or nothing.
  for (auto it = starts.rbegin(); it != starts.rend() && single(*it) && (safe[*it] == '.' || safe[*it] == ' '); ++it)
    safe[*it] = '_';
  // Windows takes a device name also with an extension ("nul.txt") and blanks before it.
  size_t end = 0;
  while (end < starts.size() && !(single(starts[end]) && safe[starts[end]] == '.')) ++end;
  while (end > 0 && single(starts[end - 1]) && safe[starts[end - 1]] == ' ') --end;
  const size_t stem = end < starts.size() ? starts[end] : safe.size();
  if (IsDeviceName(std::string_view(safe).substr(0, stem))) safe.insert(stem, 1, '_');
  return safe;
}

std::string ScheduledFolder(const std::string& recordFolder, const std::string& safeName) {
  return safeName.empty() ? recordFolder : recordFolder + "\\" + safeName;
}

std::string ScheduledFilePath(const std::string& recordFolder, const std::string& safeName, bool folderReady,
                              const std::string& date, const std::string& start) {
  const std::string stamp = date + "_" + start + ".mp3";
  if (safeName.empty()) return recordFolder + "\\" + stamp;
  if (folderReady) return ScheduledFolder(recordFolder, safeName) + "\\" + stamp;
  return recordFolder + "\\" + safeName + "_" + stamp;
}

uint32_t WakeTimerWait(uint32_t secondsToStart, uint32_t lead) {
  if (secondsToStart > lead) return secondsToStart - lead;
  if (secondsToStart > 30) return secondsToStart - 30;
  return secondsToStart;
}

uint32_t WakeLead(int wakeUpIndex) {
  switch (wakeUpIndex) {
    case 0: return 300;
    case 1: return 600;
    case 2: return 900;
    default: return 0;
  }
}
