#pragma once
// An input file over bytes in memory, for the MP3 scan's tests and its fuzz target. It hands
// out at most `chunk` bytes per read (a slow share or a pipe gives short reads too) and
// remembers the furthest byte anybody asked for.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "audio/InputFile.h"

class MemoryInputFile final : public IInputFile {
 public:
  MemoryInputFile(const uint8_t* data, size_t size, size_t chunk = SIZE_MAX)
      : data_(data), size_(size), chunk_(chunk == 0 ? 1 : chunk) {}
  explicit MemoryInputFile(const std::vector<uint8_t>& bytes, size_t chunk = SIZE_MAX)
      : MemoryInputFile(bytes.data(), bytes.size(), chunk) {}

  size_t Read(void* out, size_t bytes) override {
    ++reads;
    if (position_ >= size_) return 0;
    const size_t n = std::min({bytes, chunk_, static_cast<size_t>(size_ - position_)});
    std::memcpy(out, data_ + position_, n);
    position_ += n;
    delivered += n;
    return n;
  }
  bool Seek(uint64_t offset) override {
    ++seeks;
    position_ = offset;
    return true;
  }

  size_t reads = 0, seeks = 0;
  uint64_t delivered = 0;

 private:
  const uint8_t* data_;
  size_t size_;
  size_t chunk_;
  uint64_t position_ = 0;
};
