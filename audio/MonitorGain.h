#pragma once
// Software gain for the wave-in -> wave-out monitor that stands in for the live graph where the
// graph cannot connect. It takes the same hundredths of a decibel as the renderer's put_Volume,
// so the slider sounds the same on both paths.

#include <cstddef>
#include <cstdint>

// Linear gain in 1/65536 steps: 65536 at 0 dB, 0 at the silent volume (-10000) or below.
// Values above 0 dB are taken as 0 dB: the renderer never amplifies either.
uint32_t AttenuationToGainQ16(int hundredthsOfDecibel);

// Scales `count` interleaved 16-bit samples in place by `gainQ16`.
void ApplyGainQ16(int16_t* samples, size_t count, uint32_t gainQ16);
