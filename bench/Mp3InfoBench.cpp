// The frame scan of a recording against a plain sequential read of the bytes it touches, on a
// one-hour 320 kbit/s file as the recorder writes it (MPEG-1 Layer III, 44.1 kHz, padded frames
// of 1044 and 1045 bytes). Counters: best time of each over the iterations, and their ratio.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/InputFile.h"
#include "audio/Mp3Info.h"

namespace {

constexpr int kSeconds = 3600;

// Counts what the scan takes from the file, to size the plain read that it is held against.
class CountingFile final : public IInputFile {
 public:
  explicit CountingFile(IInputFile& file) : file_(file) {}
  size_t Read(void* data, size_t bytes) override {
    const size_t got = file_.Read(data, bytes);
    delivered += got;
    return got;
  }
  bool Seek(uint64_t offset) override { return file_.Seek(offset); }
  uint64_t delivered = 0;

 private:
  IInputFile& file_;
};

std::string WriteHourAt320(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return {};
  // 44100 / 1152 frames a second; padding keeps the average at 320 kbit/s exactly.
  const long frames = static_cast<long>(kSeconds * 44100.0 / 1152.0);
  std::vector<unsigned char> frame(1045, 0);
  long remainder = 0;
  for (long i = 0; i < frames; ++i) {
    remainder += 144000L * 320 % 44100;
    const bool pad = remainder >= 44100;
    if (pad) remainder -= 44100;
    frame[0] = 0xFF, frame[1] = 0xFB, frame[2] = pad ? 0xE2 : 0xE0, frame[3] = 0x64;
    std::fwrite(frame.data(), 1, pad ? 1045 : 1044, f);
  }
  std::fclose(f);
  return path;
}

double Seconds(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

void BM_ScanVersusPlainRead(benchmark::State& state) {
  const std::string path = WriteHourAt320("/tmp/kestrune-bench-hour-" + std::to_string(::getpid()) + ".mp3");
  if (path.empty()) {
    state.SkipWithError("cannot write the test file");
    return;
  }
  uint64_t touched = 0;
  {
    auto file = OpenInputFile(path);
    CountingFile counting(*file);
    CMP3Info info;
    info.Scan(counting);
    touched = counting.delivered;
    if (info.m_averageBitrate != 320 || info.m_frames != CMP3Info::kMaxFrames) state.SkipWithError("scan is wrong");
  }
  std::vector<unsigned char> block(BufferedReader::kBlock);
  double bestScan = 1e9, bestRead = 1e9;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    CMP3Info info;
    benchmark::DoNotOptimize(info.Read(path));
    bestScan = std::min(bestScan, Seconds(start));

    start = std::chrono::steady_clock::now();
    {
      auto file = OpenInputFile(path);
      uint64_t left = touched;
      while (left > 0) {
        const size_t got = file->Read(block.data(), std::min<uint64_t>(left, block.size()));
        if (got == 0) break;
        left -= got;
      }
      benchmark::DoNotOptimize(block.data());
    }
    bestRead = std::min(bestRead, Seconds(start));
  }
  state.counters["touched_MB"] = static_cast<double>(touched) / 1e6;
  state.counters["scan_ms"] = bestScan * 1e3;
  state.counters["plain_read_ms"] = bestRead * 1e3;
  state.counters["scan_over_read"] = bestScan / bestRead;
  std::remove(path.c_str());
}
BENCHMARK(BM_ScanVersusPlainRead)->Iterations(200)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
