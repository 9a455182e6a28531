#pragma once
// The night's log written off the window thread. Opening a file on a network folder that has
// gone away can take half a minute, and the window must keep its timers meanwhile; a record
// folder that cannot be written at all (a USB drive pulled, a folder deleted, no access) must
// not cost the line that explains the night, so such lines go to the user's own
// %LOCALAPPDATA%\Kestrune instead.

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>

#include "app/MainWindowPorts.h"
#include "base/win32/Win32Handle.h"

class LogWriter final : public IExitLog {
 public:
  // A night logs a few dozen lines; a thousand waiting means the writer has been stuck for long.
  static constexpr size_t kDefaultCapacity = 1000;
  // How long the destructor lets the writer finish what is queued.
  static constexpr DWORD kDefaultExitWaitMs = 2000;
  // How long a log file held by another program (a virus scanner, a backup, an editor that
  // locks what it opens) is tried again before its lines go to the fallback folder.
  static constexpr DWORD kBusyRetryMs = 2000;

  // Starts the writer thread. Past `capacity` waiting lines the oldest are dropped, and the
  // next line written is preceded by one that says how many.
  explicit LogWriter(size_t capacity = kDefaultCapacity, DWORD exitWaitMs = kDefaultExitWaitMs);
  // Gives the writer `exitWaitMs` to write what is queued, without waiting for a file held by
  // another program; nothing when a flush found it stuck and it has written nothing since (the
  // exit's wait was spent). A writer still stuck after that (in a CreateFile or WriteFile on a
  // dead share, which cannot be cancelled) is left running: it owns what it uses and ends by
  // itself, or with the process.
  ~LogWriter() override;
  LogWriter(const LogWriter&) = delete;
  LogWriter& operator=(const LogWriter&) = delete;

  // Queues `line` (ANSI code page text, no line end) for the log file in `folder` (ANSI) and
  // returns at once. Any thread may call it; lines are written in the order they came, each with
  // "\r\n" in one WriteFile into a file opened shared for reading and writing. Lines whose folder
  // cannot be written go, in order and after a line that says why, to FallbackFolder().
  void Append(const std::string& folder, const std::string& line);

  // Waits at most `ms` for every line queued so far to be written, without waiting for a file
  // held by another program; true when all were. For the moment before the process may be ended
  // without its destructors (a forced shutdown). A writer an earlier flush found stuck, and that
  // has written nothing since, is not waited for again (false at once).
  bool Flush(unsigned ms) override;

  // Appends `line` (ANSI) to the log in FallbackFolder() on the calling thread, past the queue
  // and whatever holds the writer up; nothing when it cannot be written. The fallback folder is
  // on the user's own local disk.
  void WriteToFallbackNow(const std::string& line) override;

  // %LOCALAPPDATA%\Kestrune, where the log goes when its folder cannot be written; empty when the
  // system does not say where that is.
  static std::wstring FallbackFolder();

 private:
  struct State;
  static DWORD WINAPI ThreadMain(void* state);

  // Shared with the writer thread, which may outlive this object (see the destructor).
  std::shared_ptr<State> state_;
  const DWORD exitWaitMs_;
  UniqueHandle thread_;
};
