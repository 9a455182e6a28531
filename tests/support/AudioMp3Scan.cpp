#include "tests/support/AudioMp3Scan.h"

#include <cmath>
#include <fstream>
#include <iterator>

namespace {

const int kBitratesV1L3[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, -1};
const int kBitratesV2L3[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, -1};
const int kRatesV1[4] = {44100, 48000, 32000, 0};

}  // namespace

Mp3StreamInfo ScanMp3Frames(const std::vector<uint8_t>& bytes) {
  Mp3StreamInfo info;
  size_t pos = 0;
  while (pos < bytes.size()) {
    if (bytes.size() - pos < 4) {
      info.problem = "trailing bytes after the last frame";
      return info;
    }
    const uint8_t* h = &bytes[pos];
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) {
      info.problem = "no frame sync at byte " + std::to_string(pos);
      return info;
    }
    const int versionBits = (h[1] >> 3) & 3;
    const int layerBits = (h[1] >> 1) & 3;
    const int version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 0;
    const int layer = layerBits == 1 ? 3 : layerBits == 2 ? 2 : layerBits == 3 ? 1 : 0;
    const int bitrateIndex = h[2] >> 4, rateIndex = (h[2] >> 2) & 3, padding = (h[2] >> 1) & 1;
    if (version == 0 || layer != 3 || rateIndex == 3 || bitrateIndex == 0 || bitrateIndex == 15) {
      info.problem = "unexpected header at byte " + std::to_string(pos);
      return info;
    }
    const int rate = version == 1 ? kRatesV1[rateIndex] : kRatesV1[rateIndex] / 2;
    const int kbps = version == 1 ? kBitratesV1L3[bitrateIndex] : kBitratesV2L3[bitrateIndex];
    const int length = (version == 1 ? 144 : 72) * kbps * 1000 / rate + padding;
    const int mode = h[3] >> 6;
    if (info.frames == 0) {
      info.mpegVersion = version;
      info.layer = layer;
      info.sampleRate = rate;
      info.bitrateKbps = kbps;
      info.channelMode = mode;
      info.crc = (h[1] & 1) == 0;
      info.privateBit = h[2] & 1;
      info.copyright = (h[3] >> 3) & 1;
      info.original = (h[3] >> 2) & 1;
      const size_t side = version == 1 ? (mode == 3 ? 17 : 32) : (mode == 3 ? 9 : 17);
      const size_t tag = pos + 4 + (info.crc ? 2 : 0) + side;
      if (tag + 4 <= bytes.size()) {
        const std::string id(bytes.begin() + static_cast<long>(tag), bytes.begin() + static_cast<long>(tag) + 4);
        info.hasXingOrInfo = id == "Xing" || id == "Info";
      }
    } else if (version != info.mpegVersion || rate != info.sampleRate || kbps != info.bitrateKbps ||
               mode != info.channelMode) {
      info.problem = "format changes at frame " + std::to_string(info.frames);
      return info;
    }
    if (pos + static_cast<size_t>(length) > bytes.size()) {
      info.problem = "last frame cut short";
      return info;
    }
    pos += static_cast<size_t>(length);
    ++info.frames;
  }
  info.valid = info.frames > 0;
  if (!info.valid) info.problem = "no frames";
  return info;
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

double ToneShare(const std::vector<int16_t>& interleaved, int sampleRate, double frequency) {
  // Goertzel over the left channel.
  const double w = 2.0 * 3.14159265358979323846 * frequency / sampleRate;
  const double coeff = 2.0 * std::cos(w);
  double s1 = 0, s2 = 0, energy = 0;
  size_t n = 0;
  for (size_t i = 0; i + 1 < interleaved.size(); i += 2, ++n) {
    const double x = interleaved[i];
    const double s0 = x + coeff * s1 - s2;
    s2 = s1;
    s1 = s0;
    energy += x * x;
  }
  if (n == 0 || energy == 0) return 0;
  const double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
  // A pure sine of amplitude A over n samples: power = (A n / 2)^2, energy = A^2 n / 2.
  return power / (energy * static_cast<double>(n) / 2.0);
}
