#pragma once
// A thread that owns wave devices from open to close, so that their handles are never touched
// from two threads. Start runs the body on a new thread and returns once the body has said
// whether its devices opened; when they did not, the body has closed what it opened and the
// thread has ended by then. Stop asks the body to end and waits until it has.

#include <windows.h>

#include <atomic>
#include <functional>

#include "base/win32/Win32Handle.h"

class DeviceThread {
 public:
  // Opens the devices, calls Opened once, and with them open runs until Stopping(); then closes
  // them and returns. A body that returns without calling Opened counts as failed to open.
  using Body = std::function<void(DeviceThread&)>;

  DeviceThread() = default;
  ~DeviceThread() { Stop(); }
  DeviceThread(const DeviceThread&) = delete;
  DeviceThread& operator=(const DeviceThread&) = delete;

  // True when the body opened its devices; true at once when already running. A body that has
  // ended on its own (its driver failed) is started again.
  bool Start(Body body);
  // Returns once the body has ended. Safe when idle.
  void Stop();
  // False also once the body has ended on its own.
  bool Running() const;

  // For the body.
  void Opened(bool ok);
  bool Stopping() const { return stop_.load(); }

 private:
  static DWORD WINAPI ThreadMain(void* self);

  Body body_;
  std::atomic<bool> stop_{false};
  bool opened_ = false;  // written by the thread before it signals `ready_`
  UniqueHandle thread_;
  UniqueHandle ready_;
};
