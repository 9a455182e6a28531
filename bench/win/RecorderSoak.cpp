// Recorder soak for the Windows build (run under Wine inside the rig; not part of the tests):
// one recording through the device object's StartRecorder/StopRecorder while busy threads load
// every core and a window thread keeps pumping its messages. Reports lost blocks (captured audio
// falling behind the wall clock by more than two blocks) and where they went missing, the
// working set each minute, and the longest the window thread went without handling a message.
//   kestrune_recorder_soak.exe [seconds] [busy threads] [kbit/s]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "audio/AudioPreparation.h"
#include "audio/CaptureRules.h"
#include "audio/Recorder.h"
#include "audio/win32/AudioPreparationWin32.h"
#include "audio/win32/WaveInCaptureEngine.h"
#include "bench/win/SoakLoad.h"
#include "device/Clock.h"
#include "device/MyKestrune.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Counts what the capture thread hands over before the MP3 writer gets it, and when.
class CountingSink final : public IRecordingSink {
 public:
  explicit CountingSink(std::unique_ptr<IRecordingSink> next) : next_(std::move(next)) {}
  int Receive(const uint8_t* block, uint32_t bytes) override {
    const auto arrival = Clock::now();
    if (bytes != kCaptureBufferBytes) partial.fetch_add(1);
    const int index = blocks.fetch_add(1);
    if (index >= 0 && static_cast<size_t>(index) < arrivals.size()) arrivals[index] = arrival;
    total.fetch_add(bytes);
    const int status = next_->Receive(block, bytes);
    const double ms = MsSince(arrival);
    if (ms > slowestReceiveMs) slowestReceiveMs = ms;
    return status;
  }
  static inline std::atomic<uint64_t> total{0};
  static inline std::atomic<int> blocks{0}, partial{0};
  // Filled by the capture thread, read after the stop.
  static inline std::vector<Clock::time_point> arrivals;
  static inline double slowestReceiveMs = 0;

 private:
  std::unique_ptr<IRecordingSink> next_;
};

// No receiver HID here: the recorder does not need one.
class NoHid final : public IHidPlatform {
 public:
  bool BeginEnumeration() override { return false; }
  std::unique_ptr<IHidDevice> OpenMember(unsigned) override { return nullptr; }
  void EndEnumeration() override {}
  uintptr_t RegisterHandleNotification(WindowHandle, const IHidDevice&) override { return 0; }
  void UnregisterNotification(uintptr_t) override {}
};

class PrintedFailures final : public IFailureBox {
 public:
  void Show(const std::string& message) override {
    std::printf("failed: %s\n", message.c_str());
    failed = true;
  }
  bool failed = false;
};

size_t WorkingSet() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) ? counters.WorkingSetSize : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const auto [seconds, busy, kbps] = ParseSoakArgs(argc, argv, 600);
  // As the program runs: the window thread at the top of the scheduler's list.
  SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);

  BusyCores load(busy);

  NoHid hid;
  PrintedFailures failures;
  CMyKestrune device(hid, SteadyClock::Instance());
  SinkFactory mp3 = Mp3SinkFactory();
  device.SetRecorder(std::make_unique<Recorder>(
      std::make_unique<WaveInCaptureEngine>(), SteadyClock::Instance(), &failures,
      [&mp3](const std::string& path, uint16_t rate) { return std::make_unique<CountingSink>(mp3(path, rate)); }));

  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string file = std::string(temp) + "kestrune-recorder-soak.mp3";
  DeleteFileA(file.c_str());

  // A first short recording pays the one-time costs (the encoder library's load); the measured
  // start is a start as the program makes it every later time.
  auto begin = Clock::now();
  bool started = device.StartRecorder(file, static_cast<uint16_t>(kbps));
  const double firstStartMs = MsSince(begin);
  Sleep(1000);
  device.StopRecorder();
  DeleteFileA(file.c_str());
  CountingSink::total = 0;
  CountingSink::blocks = 0;
  CountingSink::partial = 0;
  CountingSink::slowestReceiveMs = 0;
  // Arrivals are recorded for the measured recording only (sized before it starts).
  CountingSink::arrivals.assign(static_cast<size_t>(seconds) * 8 + 64, Clock::time_point{});

  begin = Clock::now();
  started = started && device.StartRecorder(file, static_cast<uint16_t>(kbps));
  const double startMs = MsSince(begin);
  if (!started) {
    load.Stop();
    return 2;
  }
  const auto recordingStart = Clock::now();

  // The window thread: a 50 ms timer and whatever else arrives, as the main window's loop.
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, nullptr);
  std::vector<size_t> workingSets;
  double longestGapMs = 0;
  int gapsOver100Ms = 0;
  auto lastMessage = Clock::now();
  MSG msg;
  while (MsSince(recordingStart) < seconds * 1000.0) {
    if (GetMessageA(&msg, nullptr, 0, 0) <= 0) break;
    const double gap = MsSince(lastMessage);
    if (gap > longestGapMs) longestGapMs = gap;
    if (gap > 100) ++gapsOver100Ms;
    lastMessage = Clock::now();
    DispatchMessageA(&msg);
    const size_t minute = static_cast<size_t>(MsSince(recordingStart) / 60000.0);
    if (minute >= workingSets.size()) workingSets.push_back(WorkingSet());
  }
  KillTimer(nullptr, timer);

  // Audio captured up to the moment the stop is asked for is what must be in the file.
  const double elapsed = std::chrono::duration<double>(Clock::now() - recordingStart).count();
  begin = Clock::now();
  device.StopRecorder();
  const double stopMs = MsSince(begin);
  const size_t afterStop = WorkingSet();

  const double missing = CaptureShortfallBytes(elapsed, CountingSink::total.load());
  const bool lost = LostABlock(missing);
  // Minute 1 (index 1) to the last minute of the recording.
  size_t low = SIZE_MAX, high = 0;
  for (size_t i = workingSets.size() > 1 ? 1 : 0; i < workingSets.size(); ++i) {
    low = std::min(low, workingSets[i]);
    high = std::max(high, workingSets[i]);
  }
  std::printf("seconds=%.2f busy_threads=%d kbps=%d blocks=%d partial_blocks=%d shortfall_blocks=%.2f result=%s\n",
              elapsed, busy, kbps, CountingSink::blocks.load(), CountingSink::partial.load(),
              missing / kCaptureBufferBytes, lost ? "LOST" : "no-block-lost");
  std::printf("working_set_kb:");
  for (size_t ws : workingSets) std::printf(" %zu", ws / 1024);
  std::printf(" (after the stop: %zu)\nworking_set_spread_from_minute1_kb=%zu\n", afterStop / 1024, (high - low) / 1024);
  std::printf("first_start_ms=%.1f start_recorder_ms=%.1f stop_recorder_ms=%.1f (of which the 200 ms settle)\n",
              firstStartMs, startMs, stopMs);
  std::printf("longest_window_gap_ms=%.1f window_gaps_over_100ms=%d\n", longestGapMs, gapsOver100Ms);
  // Where audio went missing: a capture thread that fell behind gets its queued buffers back to
  // back after a long gap; audio lost before the buffers shows as a lasting jump in the lag.
  const int arrived = std::min<int>(CountingSink::blocks.load(), static_cast<int>(CountingSink::arrivals.size()));
  double longestBlockGapMs = 0, worstLagJump = 0;
  int blockGapsOver500Ms = 0, blockGapsOver1000Ms = 0;
  double lowestLag = 1e9;
  for (int i = 1; i < arrived; ++i) {
    const auto& a = CountingSink::arrivals;
    const double gap = std::chrono::duration<double, std::milli>(a[i] - a[i - 1]).count();
    longestBlockGapMs = std::max(longestBlockGapMs, gap);
    if (gap > 500) ++blockGapsOver500Ms;
    if (gap > 1000) ++blockGapsOver1000Ms;
    // Blocks the wall clock expected by this arrival minus blocks delivered.
    const double lag = std::chrono::duration<double>(a[i] - a[0]).count() * 8.0 - i;
    lowestLag = std::min(lowestLag, lag);
    if (lag - lowestLag > worstLagJump) {
      worstLagJump = lag - lowestLag;
      if (lag - lowestLag > 2.0)
        std::printf("  lag %.2f blocks over its low at %.1f s (gap before: %.0f ms)\n", lag - lowestLag,
                    std::chrono::duration<double>(a[i] - a[0]).count(), gap);
    }
  }
  std::printf("longest_block_gap_ms=%.1f block_gaps_over_500ms=%d over_1000ms=%d slowest_receive_ms=%.1f\n",
              longestBlockGapMs, blockGapsOver500Ms, blockGapsOver1000Ms, CountingSink::slowestReceiveMs);
  DeleteFileA(file.c_str());
  load.Stop();
  return lost || failures.failed ? 1 : 0;
}
