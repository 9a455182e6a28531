#pragma once
// Volume slider level (0..100) to the renderer's attenuation in hundredths of a decibel, shared
// by the live and the playback graphs: whole decibels from -30 dB to 0 dB, and silence at 0.

constexpr int kSilentVolume = -10000;

// Levels outside 0..100 are clamped first.
int SliderLevelToVolume(int level);
