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
