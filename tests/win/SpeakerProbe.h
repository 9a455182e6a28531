#pragma once
// Hears what the rig's speakers play: they are a PulseAudio null sink whose monitor Wine lists as
// the wave-in device "Monitor of Speakers".
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <mutex>
#include <vector>

#include "audio/win32/WaveCapture.h"

namespace speaker_probe {

class Collector final : public IReceiver {
 public:
  int Receive(const uint8_t* block, uint32_t bytes) override {
    std::lock_guard<std::mutex> hold(lock_);
    const auto* samples = reinterpret_cast<const int16_t*>(block);
    samples_.insert(samples_.end(), samples, samples + bytes / 2);
    return 0;
  }
  size_t Count() {
    std::lock_guard<std::mutex> hold(lock_);
    return samples_.size();
  }
  std::vector<int16_t> Take() {
    std::lock_guard<std::mutex> hold(lock_);
    return std::move(samples_);
  }

 private:
  std::mutex lock_;
  std::vector<int16_t> samples_;
};

struct Heard {
  double rms = 0;
  std::vector<int16_t> left;  // the measured half second, left channel
  // Share of the left channel's power in one frequency (1 for a pure tone at it).
  double ShareAt(double hertz) const {
    if (left.empty()) return 0;
    double re = 0, im = 0, power = 0;
    for (size_t i = 0; i < left.size(); ++i) {
      const double phase = 2 * 3.14159265358979 * hertz * double(i) / 16000.0;
      re += left[i] * std::cos(phase);
      im += left[i] * std::sin(phase);
      power += double(left[i]) * left[i];
    }
    const double n = double(left.size());
    return power > 0 ? (re * re + im * im) * 2 / (n * n) / (power / n) : 0;
  }
  // The same over 20 ms pieces, the median of them: a tone with a dropout or a jump of phase in
  // it (a late block somewhere on the way) still counts as that tone, noise still does not.
  double MedianShareAt(double hertz) const {
    constexpr size_t kPiece = 320;
    std::vector<double> shares;
    for (size_t at = 0; at + kPiece <= left.size(); at += kPiece) {
      Heard piece;
      piece.left.assign(left.begin() + static_cast<std::ptrdiff_t>(at),
                        left.begin() + static_cast<std::ptrdiff_t>(at + kPiece));
      shares.push_back(piece.ShareAt(hertz));
    }
    if (shares.empty()) return 0;
    std::nth_element(shares.begin(), shares.begin() + static_cast<std::ptrdiff_t>(shares.size() / 2), shares.end());
    return shares[shares.size() / 2];
  }
};

// What the speakers play over half a second, taken once the queues before them have drained the
// sound from before the last change: a second is captured and its last half measured. The caller
// clears the wave-in device list (ClearWaveInDevices) when done.
inline Heard ListenToSpeakers() {
  const auto speakers = FindWaveInDevice("Monitor of Speakers");
  Collector collector;
  speakers->Start(&collector);
  constexpr size_t kWanted = 16000 * 2;  // one second of stereo samples
  for (int i = 0; i < 500 && collector.Count() < kWanted; ++i) Sleep(10);
  speakers->Stop();
  std::vector<int16_t> samples = collector.Take();
  Heard heard;
  if (samples.size() < kWanted) return heard;
  double power = 0;
  for (size_t i = kWanted / 2; i < kWanted; ++i) power += double(samples[i]) * samples[i];
  heard.rms = std::sqrt(power / double(kWanted / 2));
  for (size_t i = kWanted / 2; i < kWanted; i += 2) heard.left.push_back(samples[i]);
  return heard;
}

}  // namespace speaker_probe
