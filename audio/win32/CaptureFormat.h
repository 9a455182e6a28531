#pragma once
// The receiver's PCM format as waveIn and waveOut take it: what the capture records, the live
// monitor plays and the demo receiver feeds.

#include <windows.h>
#include <mmsystem.h>

#include "audio/CaptureRules.h"

inline WAVEFORMATEX CaptureWaveFormat() {
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = kCaptureChannels;
  format.nSamplesPerSec = kCaptureRate;
  format.nAvgBytesPerSec = kCaptureBytesPerSecond;
  format.nBlockAlign = kCaptureBlockAlign;
  format.wBitsPerSample = kCaptureBitsPerSample;
  format.cbSize = 0;
  return format;
}
