#include "audio/MonitorGain.h"

#include <cmath>

#include "audio/Volume.h"

uint32_t AttenuationToGainQ16(int hundredthsOfDecibel) {
  if (hundredthsOfDecibel <= kSilentVolume) return 0;
  if (hundredthsOfDecibel >= 0) return 65536;
  const double gain = std::pow(10.0, hundredthsOfDecibel / 2000.0);
  return static_cast<uint32_t>(std::lround(gain * 65536.0));
}

void ApplyGainQ16(int16_t* samples, size_t count, uint32_t gainQ16) {
  if (gainQ16 >= 65536) return;
  for (size_t i = 0; i < count; ++i) {
    // Below unity the product always fits back into 16 bits.
    samples[i] = static_cast<int16_t>((static_cast<int64_t>(samples[i]) * gainQ16) / 65536);
  }
}
