#pragma once
// A file written from the start by one owner: created anew (an existing file is truncated),
// opened without sharing, closed when the object is destroyed.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class IOutputFile {
 public:
  virtual ~IOutputFile() = default;
  // Writes all of `bytes` at the end of what was written. 0 on success, else the system error as
  // an HRESULT; a failed write (a full disk, a drive gone) may have written part of `bytes`.
  virtual int Write(const void* data, size_t bytes) = 0;
  // Cuts the file back to its first `length` bytes and writes on from there. 0 or the HRESULT.
  virtual int Truncate(uint64_t length) = 0;
};

// Null when the file cannot be created (missing folder, no access, file held by another).
std::unique_ptr<IOutputFile> CreateOutputFile(const std::string& path);
using OutputFileFactory = std::function<std::unique_ptr<IOutputFile>(const std::string& path)>;

// True when something (a file or a folder) already has this name.
bool OutputPathTaken(const std::string& path);
// Deletes a file this program created; failures are ignored.
void RemoveOutputFile(const std::string& path);
