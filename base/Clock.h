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

// Wall-clock time of day, as the heartbeat and the scheduler see it.
class IWallClock {
 public:
  virtual ~IWallClock() = default;
  // Names files and places starts; never measures a length (it may be set at any time).
  virtual LocalTime Now() = 0;
};
