#pragma once
// A file written from the start by one owner: created anew (an existing file is truncated),
// opened without sharing, closed when the object is destroyed.

#include <cstddef>
#include <memory>
#include <string>

class IOutputFile {
 public:
  virtual ~IOutputFile() = default;
  // Writes all of `bytes`. 0 on success, else the system error as an HRESULT.
  virtual int Write(const void* data, size_t bytes) = 0;
};

// Null when the file cannot be created (missing folder, no access, file held by another).
std::unique_ptr<IOutputFile> CreateOutputFile(const std::string& path);

// True when something (a file or a folder) already has this name.
bool OutputPathTaken(const std::string& path);
// Deletes a file this program created; failures are ignored.
void RemoveOutputFile(const std::string& path);
