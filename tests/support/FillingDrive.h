#pragma once
// Output files for write failures: one kept in memory, and a drive that fills up under any
// output file.

#include <cstring>
#include <memory>
#include <vector>

#include "audio/OutputFile.h"

// A file whose bytes stay in `bytes`, shared with the test.
class MemoryOutputFile final : public IOutputFile {
 public:
  explicit MemoryOutputFile(std::shared_ptr<std::vector<uint8_t>> bytes) : bytes_(std::move(bytes)) { bytes_->clear(); }
  int Write(const void* data, size_t bytes) override {
    const auto* begin = static_cast<const uint8_t*>(data);
    bytes_->insert(bytes_->end(), begin, begin + bytes);
    return 0;
  }
  int Truncate(uint64_t length) override {
    if (length < bytes_->size()) bytes_->resize(static_cast<size_t>(length));
    return 0;
  }

 private:
  std::shared_ptr<std::vector<uint8_t>> bytes_;
};

// A drive with room for a file of `capacity` bytes: the write that does not fit puts in what
// fits and fails as a full disk does (HRESULT of ERROR_DISK_FULL); cutting the file back frees
// the room again.
class FillingDrive final : public IOutputFile {
 public:
  static constexpr int kDiskFull = static_cast<int>(0x80070070u);
  FillingDrive(std::unique_ptr<IOutputFile> inner, uint64_t capacity) : inner_(std::move(inner)), capacity_(capacity) {}
  int Write(const void* data, size_t bytes) override {
    const uint64_t room = capacity_ - size_;
    if (bytes <= room) {
      const int status = inner_->Write(data, bytes);
      if (status == 0) size_ += bytes;
      return status;
    }
    if (room > 0 && inner_->Write(data, static_cast<size_t>(room)) == 0) size_ += room;
    return kDiskFull;
  }
  int Truncate(uint64_t length) override {
    const int status = inner_->Truncate(length);
    if (status == 0 && length < size_) size_ = length;
    return status;
  }

 private:
  std::unique_ptr<IOutputFile> inner_;
  const uint64_t capacity_;
  uint64_t size_ = 0;
};
