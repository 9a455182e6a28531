#pragma once
// What the frame headers of an MPEG audio file say: the first frame's version, layer and sample
// rate, and the average bit rate over at most the first 5000 frames. A scan that finds no
// frame leaves everything at 0; it never fails on a file's content, only on opening it.

#include <cstddef>
#include <cstdint>
#include <string>

#include "audio/InputFile.h"

class CMP3Info {
 public:
  CMP3Info() = default;
  virtual ~CMP3Info() = default;

  // 0 only when the file cannot be opened; 1 otherwise, frames found or not.
  int Read(const std::string& path);
  // The same scan over an opened file, read from its start.
  void Scan(IInputFile& file);

  static constexpr unsigned kMaxFrames = 5000;
  // Positions tried for a header before giving up, counting the first.
  static constexpr unsigned kSyncPositions = 11;

  std::string m_path;
  bool m_found = false;
  uint32_t m_frames = 0;
  uint8_t m_version = 0;  // 1 MPEG-2.5, 2 MPEG-2, 3 MPEG-1, 0 reserved
  uint8_t m_layer = 0;    // 1, 2, 3; 0 reserved
  uint32_t m_sampleRate = 0;      // Hz
  uint32_t m_averageBitrate = 0;  // kbit/s
};

// The scan's reader: sequential reads into one block, so that skipping from frame to frame
// costs no call of the system while the next header lies in the block already read.
class BufferedReader {
 public:
  explicit BufferedReader(IInputFile& file) : file_(file) {}
  // The 4 bytes at `offset` as a big-endian word; false when the file ends before them.
  // Offsets may only grow from call to call (the scan never goes back).
  bool Word(uint64_t offset, uint32_t& word);
  // Every byte handed out came from a read of the file, none from beyond it.
  uint64_t BytesRead() const { return read_; }

  static constexpr size_t kBlock = 64 * 1024;

 private:
  bool Fill(uint64_t offset);

  IInputFile& file_;
  unsigned char block_[kBlock];
  uint64_t start_ = 0;   // file offset of block_[0]
  size_t length_ = 0;    // valid bytes in block_
  uint64_t filePos_ = 0; // where the next read of the file starts
  uint64_t read_ = 0;
  bool ended_ = false;
};
