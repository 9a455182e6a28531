// Recorder soak for the Windows build (run under Wine inside the rig; not part of the tests):
// one recording through the recorder's StartRecorder/StopRecorder while busy threads load
// every core and a window thread keeps pumping its messages. What the recording lost is taken
// from where it is decided and where it ends up: the bytes the writer's queue dropped (the
// recording's own figures) and the MP3 file read back after the writer is through, whose frames
// must cover the capture's time less what was dropped. Also reports where block arrivals
// stalled, the working set each minute, how long the stop and the writer took, and the longest
// the window thread went without handling a message.
//   kestrune_recorder_soak.exe [seconds] [busy threads] [kbit/s] [writer hold seconds]
// A writer hold holds the file's first write that long (a drive that hangs), so that the queue
// fills and drops: the run then reports the dropped audio to the byte.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/AudioPreparation.h"
#include "audio/CaptureRules.h"
#include "audio/Mp3Writer.h"
#include "audio/Recorder.h"
#include "app/win32/ProgramPriority.h"
#include "audio/win32/WaveInCaptureEngine.h"
#include "bench/win/SoakLoad.h"
#include "base/Clock.h"
#include "tests/support/AudioMp3Scan.h"
#include "tests/support/ScriptedFile.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Notes when the capture thread hands each block over, and passes everything through to the
// recorder's queued writer, whose figures and finish stay its own.
class TimedSink final : public IRecordingSink {
 public:
  explicit TimedSink(std::unique_ptr<IRecordingSink> next) : next_(std::move(next)) {}
  int Receive(const uint8_t* block, uint32_t bytes) override {
    const auto arrival = Clock::now();
    if (bytes != kCaptureBufferBytes) partial.fetch_add(1);
    const int index = arrived.fetch_add(1);
    if (index >= 0 && static_cast<size_t>(index) < arrivals.size()) arrivals[index] = arrival;
    const int status = next_->Receive(block, bytes);
    const double ms = MsSince(arrival);
    if (ms > slowestReceiveMs) slowestReceiveMs = ms;
    return status;
  }
  bool WriteFailed() const override { return next_->WriteFailed(); }
  uint64_t DroppedBytes() const override { return next_->DroppedBytes(); }
  uint64_t BlocksReceived() const override { return next_->BlocksReceived(); }
  void Finish() override { next_->Finish(); }
  bool CutFailed() const override { return next_->CutFailed(); }

  static inline std::atomic<int> arrived{0}, partial{0};
  // Filled by the capture thread, read after the stop.
  static inline std::vector<Clock::time_point> arrivals;
  static inline double slowestReceiveMs = 0;

 private:
  std::unique_ptr<IRecordingSink> next_;
};

// The outcome of the recording with the serial asked for, as its writer's thread reports it.
class OutcomeWait {
 public:
  void Take(const RecordingOutcome& outcome) {
    std::lock_guard<std::mutex> guard(lock_);
    outcomes_.push_back(outcome);
    arrived_.notify_all();
  }
  bool Wait(uint64_t serial, unsigned ms, RecordingOutcome& outcome) {
    std::unique_lock<std::mutex> guard(lock_);
    const auto found = [&] {
      return std::any_of(outcomes_.begin(), outcomes_.end(), [&](const RecordingOutcome& o) { return o.serial == serial; });
    };
    if (!arrived_.wait_for(guard, std::chrono::milliseconds(ms), found)) return false;
    outcome = *std::find_if(outcomes_.begin(), outcomes_.end(), [&](const RecordingOutcome& o) { return o.serial == serial; });
    return true;
  }

 private:
  std::mutex lock_;
  std::condition_variable arrived_;
  std::vector<RecordingOutcome> outcomes_;
};

size_t WorkingSet() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) ? counters.WorkingSetSize : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const auto [seconds, busy, kbps] = ParseSoakArgs(argc, argv, 600);
  const int holdSeconds = argc > 4 ? std::atoi(argv[4]) : 0;
  // As the program runs.
  RaiseProgramPriority();

  BusyCores load(busy);

  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string warmFile = std::string(temp) + "kestrune-recorder-soak-warm.mp3";
  const std::string file = std::string(temp) + "kestrune-recorder-soak.mp3";
  DeleteFileA(warmFile.c_str());
  DeleteFileA(file.c_str());

  auto hold = std::make_shared<FileScript>();
  hold->stallFirstWriteMs = static_cast<unsigned>(holdSeconds) * 1000;
  SinkFactory mp3 = Mp3SinkFactory([&](const std::string& path) -> std::unique_ptr<IOutputFile> {
    auto output = CreateOutputFile(path);
    if (!output || holdSeconds <= 0 || path != file) return output;
    return std::make_unique<ScriptedFile>(std::move(output), hold);
  });
  OutcomeWait outcomes;
  Recorder soaked(std::make_unique<WaveInCaptureEngine>(), SteadyClock::Instance(),
                  [&mp3](const std::string& path, uint16_t rate) { return std::make_unique<TimedSink>(mp3(path, rate)); });
  IRecorder& recorder = soaked;
  recorder.SetFinishedHandler([&outcomes](const RecordingOutcome& outcome) { outcomes.Take(outcome); });

  // A first short recording pays the one-time costs (the encoder library's load); the measured
  // start is a start as the program makes it every later time.
  auto begin = Clock::now();
  bool started = recorder.StartRecorder(warmFile, static_cast<uint16_t>(kbps));
  const double firstStartMs = MsSince(begin);
  Sleep(1000);
  recorder.StopRecorder();
  TimedSink::arrived = 0;
  TimedSink::partial = 0;
  TimedSink::slowestReceiveMs = 0;
  // Arrivals are recorded for the measured recording only (sized before it starts).
  TimedSink::arrivals.assign(static_cast<size_t>(seconds) * 8 + 64, Clock::time_point{});

  begin = Clock::now();
  started = started && recorder.StartRecorder(file, static_cast<uint16_t>(kbps));
  const double startMs = MsSince(begin);
  if (!started) {
    std::printf("failed: %s\n", recorder.LastFailure().c_str());
    load.Stop();
    return 2;
  }
  const uint64_t serial = recorder.Serial();
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

  // Audio captured up to the moment the stop is asked for is what the file and the drops must
  // account for.
  const double elapsed = std::chrono::duration<double>(Clock::now() - recordingStart).count();
  begin = Clock::now();
  const RecorderStatus stopped = recorder.StopRecorder();
  const double stopMs = MsSince(begin);
  const size_t afterStop = WorkingSet();
  RecordingOutcome outcome;
  const bool finished = outcomes.Wait(serial, (static_cast<unsigned>(holdSeconds) + 120) * 1000, outcome);
  const double writerMs = MsSince(begin);
  load.Stop();

  const Mp3StreamInfo info = ScanMp3Frames(ReadWholeFile(file));
  // LAME puts 576 samples of silence before the audio; the last frame may be part padding.
  const double fileSeconds = info.valid ? (info.frames * 1152.0 - 576) / kRecordingSampleRate : 0;
  const double droppedSeconds = static_cast<double>(outcome.status.droppedBytes) / kCaptureBytesPerSecond;
  const double missing = CaptureShortfallBytes(elapsed - droppedSeconds, static_cast<uint64_t>(fileSeconds * kCaptureBytesPerSecond));
  const bool lost = !finished || !info.valid || outcome.status.writeFailed || LostABlock(missing);
  const bool dropped = outcome.status.droppedBytes != 0;

  std::printf("seconds=%.2f busy_threads=%d kbps=%d writer_hold_s=%d\n", elapsed, busy, kbps, holdSeconds);
  std::printf("blocks_received=%llu (at the stop %llu) partial_blocks=%d dropped_bytes=%llu dropped_seconds=%.3f write_failed=%d\n",
              static_cast<unsigned long long>(outcome.status.blocksReceived),
              static_cast<unsigned long long>(stopped.blocksReceived), TimedSink::partial.load(),
              static_cast<unsigned long long>(outcome.status.droppedBytes), droppedSeconds,
              outcome.status.writeFailed ? 1 : 0);
  std::printf("file: valid=%d frames=%d audio_seconds=%.3f; capture less dropped %.3f s; unaccounted_blocks=%.2f result=%s\n",
              info.valid ? 1 : 0, info.frames, fileSeconds, elapsed - droppedSeconds, missing / kCaptureBufferBytes,
              lost ? "LOST" : dropped ? "dropped-as-counted" : "no-block-lost");
  if (!info.valid) std::printf("file problem: %s\n", info.problem.c_str());
  std::printf("working_set_kb:");
  for (size_t ws : workingSets) std::printf(" %zu", ws / 1024);
  size_t low = SIZE_MAX, high = 0;
  // Minute 1 (index 1) to the last minute of the recording.
  for (size_t i = workingSets.size() > 1 ? 1 : 0; i < workingSets.size(); ++i) {
    low = std::min(low, workingSets[i]);
    high = std::max(high, workingSets[i]);
  }
  std::printf(" (after the stop: %zu)\nworking_set_spread_from_minute1_kb=%zu\n", afterStop / 1024, (high - low) / 1024);
  std::printf("first_start_ms=%.1f start_recorder_ms=%.1f stop_recorder_ms=%.1f writer_through_ms=%.1f%s\n", firstStartMs,
              startMs, stopMs, writerMs, finished ? "" : " (no outcome)");
  std::printf("longest_window_gap_ms=%.1f window_gaps_over_100ms=%d\n", longestGapMs, gapsOver100Ms);
  // Where block arrivals stalled: a capture thread that fell behind gets its queued buffers back
  // to back after a long gap; audio the driver lost shows as a lasting jump in the lag.
  const int arrived = std::min<int>(TimedSink::arrived.load(), static_cast<int>(TimedSink::arrivals.size()));
  double longestBlockGapMs = 0, worstLagJump = 0;
  int blockGapsOver500Ms = 0, blockGapsOver1000Ms = 0;
  double lowestLag = 1e9;
  for (int i = 1; i < arrived; ++i) {
    const auto& a = TimedSink::arrivals;
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
              longestBlockGapMs, blockGapsOver500Ms, blockGapsOver1000Ms, TimedSink::slowestReceiveMs);
  DeleteFileA(warmFile.c_str());
  DeleteFileA(file.c_str());
  // Without a hold nothing may be dropped; with one, drops are expected but must be the only loss.
  return lost || (dropped && holdSeconds <= 0) ? 1 : 0;
}
