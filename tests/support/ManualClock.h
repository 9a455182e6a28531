#pragma once
// A clock that only moves when somebody sleeps on it or advances it: waits become checkable
// and tests run in no time.

#include "base/Clock.h"

#include <vector>

class ManualClock final : public IClock {
 public:
  uint64_t NowMs() override { return now_; }
  void SleepMs(unsigned ms) override {
    sleeps_.push_back(ms);
    now_ += ms;
  }
  void Advance(uint64_t ms) { now_ += ms; }
  const std::vector<unsigned>& Sleeps() const { return sleeps_; }

 private:
  uint64_t now_ = 1000;
  std::vector<unsigned> sleeps_;
};

// The real monotonic time, except that a sleep returns at once and counts as passed: a window
// runs its bring-up waits in no time while its running times follow the real clock.
class SkippingClock final : public IClock {
 public:
  uint64_t NowMs() override { return SteadyClock::Instance().NowMs() + skipped_; }
  void SleepMs(unsigned ms) override { skipped_ += ms; }

 private:
  uint64_t skipped_ = 0;
};
