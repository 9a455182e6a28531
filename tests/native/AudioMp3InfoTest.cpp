// The frame scan of recorded files: real recordings of the writer, hand-made streams of every
// MPEG version and layer, and the damaged files a user may pick.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "audio/Mp3Info.h"
#include "audio/Mp3Writer.h"
#include "tests/support/MemoryInputFile.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Header fields as they stand in the word: version and layer bits, bit-rate and sample-rate
// indexes, padding.
struct Hdr {
  unsigned version = 3;  // bits: 0 MPEG-2.5, 1 reserved, 2 MPEG-2, 3 MPEG-1
  unsigned layer = 1;    // bits: 1 III, 2 II, 3 I
  unsigned bitrate = 9;
  unsigned rate = 0;
  unsigned padding = 0;
};

// One frame: the header, then zeros up to `length` bytes in all.
void Append(Bytes& out, const Hdr& h, size_t length) {
  const uint32_t w = 0xFFE00000u | h.version << 19 | h.layer << 17 | 1u << 16 | h.bitrate << 12 | h.rate << 10 |
                     h.padding << 9;
  const size_t start = out.size();
  out.resize(start + std::max<size_t>(length, 4), 0);
  out[start] = static_cast<uint8_t>(w >> 24);
  out[start + 1] = static_cast<uint8_t>(w >> 16);
  out[start + 2] = static_cast<uint8_t>(w >> 8);
  out[start + 3] = static_cast<uint8_t>(w);
}

CMP3Info ScanOf(const Bytes& bytes, size_t chunk = SIZE_MAX) {
  MemoryInputFile file(bytes, chunk);
  CMP3Info info;
  info.Scan(file);
  EXPECT_LE(file.delivered, bytes.size());
  return info;
}

std::string TempPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("kestrune-mp3info-" + std::to_string(::getpid()) + "-" + name)).string();
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

TEST(AudioMp3Info, RecordingsOfTheWriterShowTheirBitrate) {
  std::vector<int16_t> pcm(16000 * 2 * 3);  // three seconds of 16 kHz stereo
  for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<int16_t>((i * 37) % 4000 - 2000);
  for (uint16_t kbps : {64, 128, 192, 320}) {
    const std::string path = TempPath(std::to_string(kbps) + ".mp3");
    {
      mp3Writer writer(path, kbps, kRecordingSampleRate);
      const auto* bytes = reinterpret_cast<const uint8_t*>(pcm.data());
      for (size_t off = 0; off < pcm.size() * 2; off += 8000) writer.Receive(bytes + off, 8000);
    }
    CMP3Info info;
    ASSERT_EQ(info.Read(path), 1);
    EXPECT_EQ(info.m_path, path);
    EXPECT_TRUE(info.m_found);
    EXPECT_EQ(info.m_averageBitrate, kbps);
    EXPECT_EQ(info.m_version, 3);
    EXPECT_EQ(info.m_layer, 3);
    EXPECT_EQ(info.m_sampleRate, 44100u);
    // Three seconds at 44.1 kHz are about 115 frames of 1152 samples (plus the encoder's tail).
    EXPECT_GE(info.m_frames, 114u) << kbps;
    EXPECT_LE(info.m_frames, 120u) << kbps;
    std::remove(path.c_str());
  }
}

TEST(AudioMp3Info, FrameLengthsOfEveryVersionAndLayerKeepTheScanInStep) {
  // Frame sizes from the standards; a wrong length formula lands in the zeros and loses step.
  struct Case {
    Hdr h;
    size_t length;
    unsigned kbps, hz, version, layer;
  };
  const Case cases[] = {
      {{3, 1, 9, 0, 0}, 417, 128, 44100, 3, 3},   {{3, 1, 9, 0, 1}, 418, 128, 44100, 3, 3},
      {{3, 1, 14, 0, 0}, 1044, 320, 44100, 3, 3}, {{3, 2, 10, 1, 0}, 576, 192, 48000, 3, 2},
      {{3, 3, 12, 1, 0}, 384, 384, 48000, 3, 1},  {{3, 3, 12, 1, 1}, 388, 384, 48000, 3, 1},
      {{2, 1, 8, 0, 0}, 208, 64, 22050, 2, 3},    {{2, 2, 8, 0, 0}, 417, 64, 22050, 2, 2},
      {{2, 3, 8, 1, 0}, 256, 128, 24000, 2, 1},   {{0, 1, 1, 2, 0}, 72, 8, 8000, 1, 3},
      {{0, 1, 14, 1, 1}, 961, 160, 12000, 1, 3},
  };
  for (const Case& c : cases) {
    Bytes bytes;
    for (int i = 0; i < 50; ++i) Append(bytes, c.h, c.length);
    const CMP3Info info = ScanOf(bytes);
    EXPECT_EQ(info.m_frames, 50u) << c.length;
    EXPECT_EQ(info.m_averageBitrate, c.kbps) << c.length;
    EXPECT_EQ(info.m_sampleRate, c.hz) << c.length;
    EXPECT_EQ(info.m_version, c.version) << c.length;
    EXPECT_EQ(info.m_layer, c.layer) << c.length;
  }
}

TEST(AudioMp3Info, VariableBitrateAveragesTheFirst5000Frames) {
  Bytes bytes;
  for (int i = 0; i < 3; ++i) Append(bytes, {3, 1, 9, 0, 0}, 417);    // 128
  Append(bytes, {3, 1, 14, 0, 0}, 1044);                              // 320
  Append(bytes, {3, 1, 5, 0, 0}, 208);                                // 64
  EXPECT_EQ(ScanOf(bytes).m_averageBitrate, (3 * 128 + 320 + 64) / 5u);

  // 5000 frames at 128, then 320s that the scan never reaches.
  Bytes longer;
  for (int i = 0; i < 5000; ++i) Append(longer, {3, 1, 9, 0, 0}, 417);
  for (int i = 0; i < 500; ++i) Append(longer, {3, 1, 14, 0, 0}, 1044);
  const CMP3Info info = ScanOf(longer, 1000);
  EXPECT_EQ(info.m_frames, 5000u);
  EXPECT_EQ(info.m_averageBitrate, 128u);
}

TEST(AudioMp3Info, JunkBeforeTheFirstFrameAndFramesWithoutABitrate) {
  Bytes frames;
  for (int i = 0; i < 20; ++i) Append(frames, {3, 1, 9, 0, 0}, 417);
  // Ten bytes of junk: the header is the eleventh position tried.
  Bytes ten(10, 0x41);
  ten.insert(ten.end(), frames.begin(), frames.end());
  EXPECT_EQ(ScanOf(ten).m_averageBitrate, 128u);
  // A hundred bytes: no header within the positions tried, so nothing is found.
  Bytes hundred(100, 0x41);
  hundred.insert(hundred.end(), frames.begin(), frames.end());
  const CMP3Info junk = ScanOf(hundred);
  EXPECT_FALSE(junk.m_found);
  EXPECT_EQ(junk.m_frames, 0u);
  EXPECT_EQ(junk.m_averageBitrate, 0u);

  // Free-format frames count without a bit rate: two of 128 and two free give 64.
  Bytes free;
  Append(free, {3, 1, 9, 0, 0}, 417);
  Append(free, {3, 1, 0, 0, 0}, 4);
  Append(free, {3, 1, 0, 0, 0}, 4);
  Append(free, {3, 1, 9, 0, 0}, 417);
  EXPECT_EQ(ScanOf(free).m_frames, 4u);
  EXPECT_EQ(ScanOf(free).m_averageBitrate, 64u);

  // A reserved layer has no table: the first frame has no bit rate and no length.
  Bytes reserved;
  for (int i = 0; i < 3; ++i) Append(reserved, {3, 0, 9, 0, 0}, 4);
  EXPECT_EQ(ScanOf(reserved).m_frames, 3u);
  EXPECT_EQ(ScanOf(reserved).m_averageBitrate, 0u);
  EXPECT_EQ(ScanOf(reserved).m_layer, 0);
  EXPECT_TRUE(ScanOf(reserved).m_found);

  // An unknown sample rate (index 3 on the first frame, or a reserved version) ends the scan.
  Bytes noRate;
  Append(noRate, {3, 1, 9, 3, 0}, 417);
  Append(noRate, {3, 1, 9, 0, 0}, 417);
  EXPECT_FALSE(ScanOf(noRate).m_found);
  Bytes reservedVersion;
  Append(reservedVersion, {1, 1, 9, 0, 0}, 417);
  EXPECT_FALSE(ScanOf(reservedVersion).m_found);
  EXPECT_EQ(ScanOf(reservedVersion).m_version, 0);
  // Index 3 after a known rate keeps that rate.
  Bytes keep;
  Append(keep, {3, 1, 9, 0, 0}, 417);
  Append(keep, {3, 1, 9, 3, 0}, 417);
  EXPECT_EQ(ScanOf(keep).m_frames, 2u);
  EXPECT_EQ(ScanOf(keep).m_sampleRate, 44100u);
}

TEST(AudioMp3Info, DamagedFilesEndTheScanWithinTheData) {
  // A stream of nothing but sync bytes: every word is a header of no length, each one moves
  // the scan on past its header, and the count stops at 5000.
  const Bytes syncs(64 * 1024, 0xFF);
  const CMP3Info all = ScanOf(syncs);
  EXPECT_EQ(all.m_frames, 0u) << "0xFF words carry the reserved sample-rate index";
  Bytes zeroLength;
  for (int i = 0; i < 6000; ++i) Append(zeroLength, {3, 1, 0, 0, 0}, 4);
  EXPECT_EQ(ScanOf(zeroLength).m_frames, 5000u);

  // A recording cut in the middle of a frame and inside the last header.
  Bytes cut;
  for (int i = 0; i < 10; ++i) Append(cut, {3, 1, 9, 0, 0}, 417);
  for (size_t keep : {cut.size() - 200, size_t{9 * 417 + 3}, size_t{3}, size_t{0}}) {
    const Bytes part(cut.begin(), cut.begin() + static_cast<long>(keep));
    const CMP3Info info = ScanOf(part, 7);
    EXPECT_EQ(info.m_frames, keep / 417 + (keep % 417 >= 4 ? 1 : 0)) << keep;
  }
}

TEST(AudioMp3Info, OpeningMissingFilesAndFolders) {
  CMP3Info info;
  EXPECT_EQ(info.Read(TempPath("missing.mp3")), 0);
  EXPECT_FALSE(info.m_found);
  EXPECT_EQ(info.Read(std::filesystem::temp_directory_path().string()), 0);
  const std::string empty = TempPath("empty.mp3");
  WriteFile(empty, {});
  EXPECT_EQ(info.Read(empty), 1);
  EXPECT_FALSE(info.m_found);
  EXPECT_EQ(info.m_averageBitrate, 0u);
  std::remove(empty.c_str());
}

}  // namespace
