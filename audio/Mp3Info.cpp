#include "audio/Mp3Info.h"

#include <cstring>

namespace {

// kbit/s by [MPEG-1 ? 0 : 1][layer I, II, III][index]; index 0 (free format) and 15 (forbidden)
// carry no bit rate.
constexpr uint16_t kBitrates[2][3][16] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}},
};

// Hz by version (1 MPEG-2.5, 2 MPEG-2, 3 MPEG-1) and index 0..2.
constexpr uint32_t kSampleRates[4][3] = {
    {0, 0, 0}, {11025, 12000, 8000}, {22050, 24000, 16000}, {44100, 48000, 32000}};

constexpr uint32_t kSyncMask = 0xFFE00000u;

// Layer bits 1 → III, 2 → II, 3 → I, 0 → reserved.
uint8_t LayerOf(uint32_t header) {
  const uint32_t bits = (header >> 17) & 3u;
  return bits == 0 ? 0 : static_cast<uint8_t>(4 - bits);
}

}  // namespace

bool BufferedReader::Fill(uint64_t offset) {
  if (offset >= start_ && offset < start_ + length_) {
    // Keep the tail: the word straddles the end of the block.
    const size_t keep = static_cast<size_t>(start_ + length_ - offset);
    std::memmove(block_, block_ + (length_ - keep), keep);
    start_ = offset;
    length_ = keep;
  } else {
    // Past the block: start a new one there, skipping the gap without reading it.
    if (offset != filePos_) {
      if (!file_.Seek(offset)) return false;
      filePos_ = offset;
    }
    start_ = offset;
    length_ = 0;
  }
  if (ended_) return false;
  const size_t got = file_.Read(block_ + length_, kBlock - length_);
  if (got > kBlock - length_) return false;  // a file adapter that lies is not trusted further
  read_ += got;
  filePos_ += got;
  length_ += got;
  if (got == 0) ended_ = true;
  return true;
}

bool BufferedReader::Word(uint64_t offset, uint32_t& word) {
  if (offset < start_ || offset + 4 > start_ + length_) {
    // A read that comes back short is not the end yet: a pipe or a slow share may give more.
    while (!(offset >= start_ && offset + 4 <= start_ + length_)) {
      if (!Fill(offset)) return false;
    }
  }
  const unsigned char* p = block_ + (offset - start_);
  word = (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
  return true;
}

int CMP3Info::Read(const std::string& path) {
  m_path = path;
  std::unique_ptr<IInputFile> file = OpenInputFile(path);
  if (!file) return 0;
  Scan(*file);
  return 1;
}

void CMP3Info::Scan(IInputFile& file) {
  m_found = false;
  m_frames = 0;
  m_version = 0;
  m_layer = 0;
  m_sampleRate = 0;
  m_averageBitrate = 0;

  // The block is large: keep it off the stack of the window's thread.
  auto reader = std::make_unique<BufferedReader>(file);
  uint64_t offset = 0;
  auto findHeader = [&](uint32_t& header) {
    for (unsigned tries = 0; tries < kSyncPositions; ++tries, ++offset) {
      if (!reader->Word(offset, header)) return false;
      if (header >= kSyncMask) return true;
    }
    return false;
  };

  uint32_t header = 0;
  uint32_t bitrate = 0;
  uint64_t sum = 0;
  uint32_t count = 0;
  bool first = true;
  while (count < kMaxFrames && findHeader(header)) {
    if (first) {
      m_version = static_cast<uint8_t>((header >> 19) & 3u);
      if (m_version == 1) m_version = 0;  // bits 01: reserved
      else if (m_version == 0) m_version = 1;  // bits 00: MPEG-2.5
      m_layer = LayerOf(header);
      first = false;
    }
    // Version and layer of the first frame choose the tables for every frame.
    if (m_layer != 0 && m_version != 0) {
      bitrate = kBitrates[m_version == 3 ? 0 : 1][m_layer - 1][(header >> 12) & 15u];
    }
    const uint32_t rateIndex = (header >> 10) & 3u;
    if (rateIndex != 3) m_sampleRate = kSampleRates[m_version][rateIndex];
    if (m_sampleRate == 0) break;

    const uint32_t padding = (header >> 9) & 1u;
    uint32_t length;
    if (m_layer == 1) length = (12000u * bitrate / m_sampleRate + padding) * 4u;
    else if (m_layer == 3 && m_version != 3) length = 72000u * bitrate / m_sampleRate + padding;
    else length = 144000u * bitrate / m_sampleRate + padding;

    ++count;
    if (bitrate > 0) sum += bitrate;
    // A frame no longer than its header skips nothing: the search goes on after the header,
    // so every frame moves the scan forward.
    offset += length > 4 ? length : 4;
  }
  m_frames = count;
  if (count > 0) {
    m_averageBitrate = static_cast<uint32_t>(sum / count);
    m_found = true;
  }
}
