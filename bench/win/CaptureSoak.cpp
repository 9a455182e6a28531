// Capture soak for the Windows build (run under Wine inside the rig; not part of the tests):
// records the receiver through the MP3 writer for N seconds (default 60) while busy threads load
// every core, and reports whether any block was lost. A lost block shows as captured audio
// falling behind the wall clock by more than two blocks.
//   kestrune_capture_soak.exe [seconds] [busy threads] [kbit/s]
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "audio/AudioError.h"
#include "audio/CaptureRules.h"
#include "audio/Mp3Writer.h"
#include "app/win32/ProgramPriority.h"
#include "audio/win32/WaveCapture.h"
#include "bench/win/SoakLoad.h"

namespace {

class TimedReceiver final : public IReceiver {
 public:
  explicit TimedReceiver(IReceiver& next) : next_(next) {}
  int Receive(const uint8_t* block, uint32_t bytes) override {
    const auto start = std::chrono::steady_clock::now();
    const int status = next_.Receive(block, bytes);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (ms > slowestMs) slowestMs = ms;
    if (bytes != kCaptureBufferBytes) ++partial;
    ++blocks;
    total += bytes;
    return status;
  }
  std::atomic<uint64_t> total{0};
  std::atomic<int> blocks{0}, partial{0};
  double slowestMs = 0;  // written by the capture thread only, read after Stop

 private:
  IReceiver& next_;
};

}  // namespace

int main(int argc, char** argv) {
  const auto [seconds, busy, kbps] = ParseSoakArgs(argc, argv, 60);
  SetPriorityClass(GetCurrentProcess(), kProgramPriorityClass);
  BusyCores load(busy);

  int rc = 0;
  try {
    char path[MAX_PATH];
    GetTempPathA(MAX_PATH, path);
    std::string file = std::string(path) + "kestrune-soak.mp3";
    mp3Writer writer(file, static_cast<uint16_t>(kbps), kRecordingSampleRate);
    TimedReceiver receiver(writer);
    const auto device = FindWaveInDevice(kReceiverAudioName);
    const auto start = std::chrono::steady_clock::now();
    device->Start(&receiver);
    Sleep(static_cast<DWORD>(seconds) * 1000);
    device->Stop();
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ClearWaveInDevices();
    const double expected = elapsed * kCaptureBytesPerSecond;
    const double missing = CaptureShortfallBytes(elapsed, receiver.total.load());
    const bool lost = LostABlock(missing);
    std::printf("seconds=%.2f busy_threads=%d kbps=%d blocks=%d partial_blocks=%d bytes=%llu expected_bytes=%.0f "
                "shortfall_blocks=%.2f slowest_receive_ms=%.2f result=%s\n",
                elapsed, busy, kbps, receiver.blocks.load(), receiver.partial.load(),
                static_cast<unsigned long long>(receiver.total.load()), expected, missing / kCaptureBufferBytes,
                receiver.slowestMs, lost ? "LOST" : "no-block-lost");
    rc = lost ? 1 : 0;
    DeleteFileA(file.c_str());
  } catch (const AudioError& e) {
    std::printf("failed: %s\n", e.what());
    rc = 2;
  }
  load.Stop();
  return rc;
}
