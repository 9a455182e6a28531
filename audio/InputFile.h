#pragma once
// A file read from start to end by one owner: an existing file opened for reading while others
// may read it too, closed when the object is destroyed.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class IInputFile {
 public:
  virtual ~IInputFile() = default;
  // Reads up to `bytes` from the current position and moves past them. Returns how many were
  // read: fewer at the end of the file, 0 at the end or on a failure.
  virtual size_t Read(void* data, size_t bytes) = 0;
  // Moves to `offset` from the start (it may lie past the end, where reads give 0).
  virtual bool Seek(uint64_t offset) = 0;
};

// Null when the file does not exist, cannot be read, or is held without shared reading.
std::unique_ptr<IInputFile> OpenInputFile(const std::string& path);
