#pragma once
// Time for the radio code: every wait goes through IClock so that tests run on a fake clock
// and can still check the waits.

#include <cstdint>

class IClock {
 public:
  virtual ~IClock() = default;
  virtual uint64_t NowMs() = 0;
  virtual void SleepMs(unsigned ms) = 0;
};

// The real clock: monotonic time and a plain sleep of the calling thread.
class SteadyClock final : public IClock {
 public:
  uint64_t NowMs() override;
  void SleepMs(unsigned ms) override;
  static SteadyClock& Instance();
};

struct LocalTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int weekday = 0;  // 0 Sunday
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// Seconds of a local time counted from 1970-01-01 as if every day had 86400 of them.
constexpr int64_t LocalTimeSeconds(const LocalTime& t) {
  // Days of the proleptic Gregorian calendar, years starting in March.
  const int64_t y = t.year - (t.month <= 2 ? 1 : 0);
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yearOfEra = y - era * 400;
  const int64_t dayOfYear = (153 * (t.month + (t.month > 2 ? -3 : 9)) + 2) / 5 + t.day - 1;
  const int64_t days = era * 146097 + yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear - 719468;
  return days * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

// Wall-clock time of day, as the heartbeat and the scheduler see it.
class IWallClock {
 public:
  virtual ~IWallClock() = default;
  virtual LocalTime Now() = 0;
  // A count of seconds that runs on evenly across daylight-saving changes (calendar time), for
  // measuring how long a recording has run. By default the local time's own count.
  virtual int64_t CalendarSeconds() { return LocalTimeSeconds(Now()); }
};
