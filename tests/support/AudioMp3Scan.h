#pragma once
// Test helpers for recorded audio: a strict walk over the MPEG audio frames of a file, and a
// tone detector for decoded PCM.

#include <cstdint>
#include <string>
#include <vector>

struct Mp3StreamInfo {
  bool valid = false;        // the whole file is a chain of frames with one constant format
  int frames = 0;
  int mpegVersion = 0;       // 1 = MPEG-1, 2 = MPEG-2
  int layer = 0;
  int sampleRate = 0;
  int bitrateKbps = 0;
  int channelMode = -1;      // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono
  bool crc = false, privateBit = false, copyright = false, original = false;
  bool hasXingOrInfo = false;
  std::string problem;       // why `valid` is false
};

Mp3StreamInfo ScanMp3Frames(const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadWholeFile(const std::string& path);

// Power of `frequency` in the left channel of interleaved stereo, relative to the total power
// of that channel (1.0 for a pure tone at that frequency).
double ToneShare(const std::vector<int16_t>& interleaved, int sampleRate, double frequency);
