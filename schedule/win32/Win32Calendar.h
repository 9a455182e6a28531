#pragma once
// Calendar time on Windows: the system clock in UTC, and local times converted by the time zone
// Windows has now, read at every call (the C runtime's mktime reads it once per process, so a
// zone the user changes would shift every end and wake-up by the difference).

#include "schedule/SchedulerPorts.h"

class Win32Calendar final : public ISchedulerClock {
 public:
  int64_t NowSeconds() override;
  // -1 when Windows cannot convert it.
  int64_t LocalToSeconds(const LocalTime& t) override;
  LocalTime SecondsToLocal(int64_t seconds) override;
};

// FILETIME ticks (100 ns since 1601-01-01 UTC) of a calendar instant, and back.
int64_t FileTimeTicksOf(int64_t seconds);
int64_t SecondsOfFileTimeTicks(int64_t ticks);
