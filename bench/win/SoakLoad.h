#pragma once
// What the soaks share: their command line, the busy threads that load every core, and the
// measure of lost audio (captured audio behind the wall clock by more than two blocks, what the
// driver may hold back around the start).

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <thread>
#include <vector>

#include "audio/CaptureRules.h"

//   [seconds] [busy threads] [kbit/s]; busy threads default to one a core, the rate to 320.
struct SoakArgs {
  int seconds;
  int busy;
  int kbps;
};

inline SoakArgs ParseSoakArgs(int argc, char** argv, int defaultSeconds) {
  return {argc > 1 ? std::atoi(argv[1]) : defaultSeconds,
          argc > 2 ? std::atoi(argv[2]) : static_cast<int>(std::thread::hardware_concurrency()),
          argc > 3 ? std::atoi(argv[3]) : 320};
}

// Threads that spin until stopped, each keeping one core busy.
class BusyCores {
 public:
  explicit BusyCores(int count) {
    for (int i = 0; i < count; ++i)
      threads_.emplace_back([this] {
        volatile uint64_t x = 0;
        while (!stop_.load(std::memory_order_relaxed)) x = x * 6364136223846793005ull + 1;
      });
  }
  BusyCores(const BusyCores&) = delete;
  BusyCores& operator=(const BusyCores&) = delete;
  ~BusyCores() { Stop(); }

  void Stop() {
    stop_ = true;
    for (auto& t : threads_)
      if (t.joinable()) t.join();
  }

 private:
  std::atomic<bool> stop_{false};
  std::vector<std::thread> threads_;
};

// How far the captured bytes fall behind `elapsedSeconds` of audio, in bytes.
inline double CaptureShortfallBytes(double elapsedSeconds, uint64_t capturedBytes) {
  return elapsedSeconds * kCaptureBytesPerSecond - static_cast<double>(capturedBytes);
}

inline bool LostABlock(double shortfallBytes) { return shortfallBytes > 2.0 * kCaptureBufferBytes; }
