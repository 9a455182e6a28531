#include <ctime>

#include "schedule/SchedulerPorts.h"

int64_t SystemSchedulerClock::NowSeconds() { return static_cast<int64_t>(std::time(nullptr)); }

int64_t SystemSchedulerClock::LocalToSeconds(const LocalTime& t) {
  std::tm local{};
  local.tm_year = t.year - 1900;
  local.tm_mon = t.month - 1;
  local.tm_mday = t.day;
  local.tm_hour = t.hour;
  local.tm_min = t.minute;
  local.tm_sec = t.second;
  local.tm_isdst = -1;
  return static_cast<int64_t>(std::mktime(&local));
}

LocalTime SystemSchedulerClock::SecondsToLocal(int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &t);
#else
  localtime_r(&t, &local);
#endif
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_wday, local.tm_hour, local.tm_min,
          local.tm_sec};
}
