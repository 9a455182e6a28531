#include "base/Clock.h"

#include <chrono>
#include <thread>

uint64_t SteadyClock::NowMs() {
  using namespace std::chrono;
  return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SteadyClock::SleepMs(unsigned ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

SteadyClock& SteadyClock::Instance() {
  static SteadyClock clock;
  return clock;
}
