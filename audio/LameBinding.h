#pragma once
// The run-time binding to lame_enc.dll: one table of entry points per binding, filled once
// under its lock and never unloaded afterwards. The process uses LameBinding::Process(); tests
// make their own bindings over other libraries.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "audio/BladeEnc.h"

// A loaded shared library. Destroying it unloads the library.
class ISharedLibrary {
 public:
  virtual ~ISharedLibrary() = default;
  // The exported symbol, or null when the library has none of that name.
  virtual void* Symbol(const char* name) = 0;
};

// Null when the library cannot be loaded.
using LibraryOpener = std::function<std::unique_ptr<ISharedLibrary>(const std::string& name)>;

// The platform's loader: LoadLibraryA on Windows; natively, "lame_enc.dll" names the built-in
// adapter over libmp3lame (when the build found it) and nothing else loads.
std::unique_ptr<ISharedLibrary> OpenPlatformLibrary(const std::string& name);

struct LameEntryPoints {
  BEINITSTREAM beInitStream = nullptr;
  BEENCODECHUNK beEncodeChunk = nullptr;
  BEDEINITSTREAM beDeinitStream = nullptr;
  BECLOSESTREAM beCloseStream = nullptr;
  BEVERSION beVersion = nullptr;
  BEWRITEVBRHEADER beWriteVBRHeader = nullptr;
  BEWRITEINFOTAG beWriteInfoTag = nullptr;  // optional
};

class LameBinding {
 public:
  explicit LameBinding(LibraryOpener opener, std::string libraryName = "lame_enc.dll");
  LameBinding(const LameBinding&) = delete;
  LameBinding& operator=(const LameBinding&) = delete;

  // Loads the library and its entry points unless already done. Throws AudioError with
  // "Error loading lame_enc.DLL" or "Unable to get LAME interfaces"; a failed load is retried
  // by the next call. Safe from any thread.
  void Load();
  bool IsLoaded() const { return loaded_.load(std::memory_order_acquire); }
  // Valid once Load has succeeded.
  const LameEntryPoints& Entries() const { return entries_; }

  static LameBinding& Process();

 private:
  LibraryOpener opener_;
  std::string libraryName_;
  std::mutex lock_;
  std::atomic<bool> loaded_{false};
  std::unique_ptr<ISharedLibrary> library_;
  LameEntryPoints entries_;
};

// Loads the process-wide binding.
void LoadLameEncoder();
