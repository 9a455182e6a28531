#pragma once
// An output file for the writer's bad days, over any other output file: a write that hangs (for
// a while, or until the test lets it go), a write that fails part-way as a full disk does, and
// cuts the drive refuses. What happened is shared with the test, which may outlive the file
// (a writer left running at exit keeps it).

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "audio/OutputFile.h"

struct FileScript {
  static constexpr int kDiskFull = static_cast<int>(0x80070070u);
  static constexpr int kDeviceBusy = static_cast<int>(0x800700AAu);

  std::mutex lock;
  std::condition_variable changed;
  // Set by the test, read by the file.
  unsigned stallFirstWriteMs = 0;  // the first write waits this long before it goes through
  bool held = false;               // writes wait while this is set (Release ends it)
  int failWrite = 0;               // the 1-based write that fails after writing half its bytes
  int cutFailures = 0;             // cuts still to refuse
  // Kept by the file.
  int writes = 0;
  bool waiting = false;  // a write is held or stalled right now
  bool closed = false;

  void Release() {
    std::lock_guard<std::mutex> guard(lock);
    held = false;
    changed.notify_all();
  }
  // True once a write is waiting (held or stalled), false after `ms` without one.
  bool WaitForWaitingWrite(unsigned ms) {
    std::unique_lock<std::mutex> guard(lock);
    return changed.wait_for(guard, std::chrono::milliseconds(ms), [this] { return waiting; });
  }
  bool WaitForClose(unsigned ms) {
    std::unique_lock<std::mutex> guard(lock);
    return changed.wait_for(guard, std::chrono::milliseconds(ms), [this] { return closed; });
  }
};

class ScriptedFile final : public IOutputFile {
 public:
  ScriptedFile(std::unique_ptr<IOutputFile> inner, std::shared_ptr<FileScript> script)
      : inner_(std::move(inner)), script_(std::move(script)) {}
  ~ScriptedFile() override {
    inner_.reset();
    std::lock_guard<std::mutex> guard(script_->lock);
    script_->closed = true;
    script_->changed.notify_all();
  }
  ScriptedFile(const ScriptedFile&) = delete;
  ScriptedFile& operator=(const ScriptedFile&) = delete;

  int Write(const void* data, size_t bytes) override {
    std::unique_lock<std::mutex> guard(script_->lock);
    const int number = ++script_->writes;
    const unsigned stallMs = number == 1 ? script_->stallFirstWriteMs : 0;
    const auto stallEnd = std::chrono::steady_clock::now() + std::chrono::milliseconds(stallMs);
    if (script_->held || stallMs > 0) {
      script_->waiting = true;
      script_->changed.notify_all();
      // A stall ends at its time, a hold when released, whatever wakes the wait meanwhile.
      while (script_->held || std::chrono::steady_clock::now() < stallEnd) {
        if (script_->held)
          script_->changed.wait(guard);
        else
          script_->changed.wait_until(guard, stallEnd);
      }
      script_->waiting = false;
    }
    const bool fail = number == script_->failWrite;
    guard.unlock();
    if (!fail) return inner_->Write(data, bytes);
    inner_->Write(data, bytes / 2);
    return FileScript::kDiskFull;
  }
  int Truncate(uint64_t length) override {
    {
      std::lock_guard<std::mutex> guard(script_->lock);
      if (script_->cutFailures > 0) {
        --script_->cutFailures;
        return FileScript::kDeviceBusy;
      }
    }
    return inner_->Truncate(length);
  }

 private:
  std::unique_ptr<IOutputFile> inner_;
  std::shared_ptr<FileScript> script_;
};
