// Encoding cost of the recorder's writer against the lame command-line encoder on the same PCM
// with the same settings (16 kHz stereo in, 44.1 kHz joint stereo CBR out, no bit reservoir, no
// tag). Counters: seconds of CPU/wall per second of audio for each, and their ratio.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/Mp3Writer.h"

namespace {

constexpr int kSeconds = 60;

std::vector<int16_t> Programme() {
  // A tone with a slow sweep and a little noise: closer to radio than a pure sine.
  std::vector<int16_t> pcm(static_cast<size_t>(kSeconds) * 16000 * 2);
  uint32_t seed = 1;
  double phase = 0;
  for (size_t i = 0; i < pcm.size() / 2; ++i) {
    phase += 2 * M_PI * (400.0 + 300.0 * std::sin(i / 16000.0)) / 16000.0;
    seed = seed * 1664525u + 1013904223u;
    const double noise = (static_cast<int>(seed >> 20) - 2048) / 2048.0;
    pcm[2 * i] = static_cast<int16_t>(9000 * std::sin(phase) + 600 * noise);
    pcm[2 * i + 1] = static_cast<int16_t>(9000 * std::sin(phase * 1.01) + 600 * noise);
  }
  return pcm;
}

double Seconds(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

void BM_WriterVersusLameCli(benchmark::State& state) {
  const uint16_t kbps = static_cast<uint16_t>(state.range(0));
  const std::vector<int16_t> pcm = Programme();
  const std::string dir = "/tmp/kestrune-bench-" + std::to_string(::getpid());
  std::system(("mkdir -p " + dir).c_str());
  const std::string raw = dir + "/in.raw";
  if (FILE* f = std::fopen(raw.c_str(), "wb")) {
    std::fwrite(pcm.data(), 2, pcm.size(), f);
    std::fclose(f);
  }
  const std::string cli = "lame --quiet --silent -r -s 16 --bitwidth 16 --signed --little-endian -m j -b " +
                          std::to_string(kbps) + " --cbr --resample 44.1 --nores -t -c '" + raw + "' '" + dir +
                          "/cli.mp3' 2>/dev/null";
  double ours = 0, theirs = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    {
      mp3Writer writer(dir + "/writer.mp3", kbps, kRecordingSampleRate);
      // Capture-sized blocks, as the recorder feeds it.
      const auto* bytes = reinterpret_cast<const uint8_t*>(pcm.data());
      for (size_t off = 0; off < pcm.size() * 2; off += 8000) writer.Receive(bytes + off, 8000);
    }
    ours = Seconds(start);
    start = std::chrono::steady_clock::now();
    if (std::system(cli.c_str()) != 0) state.SkipWithError("lame CLI failed");
    theirs = Seconds(start);
  }
  state.counters["writer_s_per_audio_s"] = ours / kSeconds;
  state.counters["lame_cli_s_per_audio_s"] = theirs / kSeconds;
  state.counters["writer_over_cli"] = ours / theirs;
  std::system(("rm -rf " + dir).c_str());
}
BENCHMARK(BM_WriterVersusLameCli)->Arg(128)->Arg(320)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
