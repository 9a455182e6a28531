#include "schedule/win32/Win32Calendar.h"

#include <windows.h>

namespace {

constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kSecondsFrom1601To1970 = 11644473600;

int64_t TicksOf(const FILETIME& f) {
  return static_cast<int64_t>((static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime);
}

}  // namespace

int64_t FileTimeTicksOf(int64_t seconds) { return (seconds + kSecondsFrom1601To1970) * kTicksPerSecond; }

int64_t SecondsOfFileTimeTicks(int64_t ticks) { return ticks / kTicksPerSecond - kSecondsFrom1601To1970; }

int64_t Win32Calendar::NowSeconds() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return SecondsOfFileTimeTicks(TicksOf(now));
}

int64_t Win32Calendar::LocalToSeconds(const LocalTime& t) {
  TIME_ZONE_INFORMATION zone{};
  // Unknown (no zone set) still gives a zone: UTC, bias 0.
  GetTimeZoneInformation(&zone);
  SYSTEMTIME local{};
  local.wYear = static_cast<WORD>(t.year);
  local.wMonth = static_cast<WORD>(t.month);
  local.wDay = static_cast<WORD>(t.day);
  local.wHour = static_cast<WORD>(t.hour);
  local.wMinute = static_cast<WORD>(t.minute);
  local.wSecond = static_cast<WORD>(t.second);
  SYSTEMTIME utc{};
  FILETIME file{};
  if (!TzSpecificLocalTimeToSystemTime(&zone, &local, &utc) || !SystemTimeToFileTime(&utc, &file)) return -1;
  return SecondsOfFileTimeTicks(TicksOf(file));
}

LocalTime Win32Calendar::SecondsToLocal(int64_t seconds) {
  TIME_ZONE_INFORMATION zone{};
  GetTimeZoneInformation(&zone);
  const auto ticks = static_cast<uint64_t>(FileTimeTicksOf(seconds));
  FILETIME file{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME utc{}, local{};
  if (!FileTimeToSystemTime(&file, &utc) || !SystemTimeToTzSpecificLocalTime(&zone, &utc, &local)) return {};
  return {local.wYear, local.wMonth, local.wDay, local.wDayOfWeek, local.wHour, local.wMinute, local.wSecond};
}
