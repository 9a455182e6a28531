#include "audio/win32/DeviceThread.h"

#include <utility>

bool DeviceThread::Running() const {
  return thread_.Valid() && WaitForSingleObject(thread_.Get(), 0) == WAIT_TIMEOUT;
}

bool DeviceThread::Start(Body body) {
  if (Running()) return true;
  Stop();  // collects a body that ended on its own; it has closed its devices
  body_ = std::move(body);
  stop_ = false;
  opened_ = false;
  ready_.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!ready_) return false;
  thread_.Reset(CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
  if (!thread_) return false;
  // The body either says how its devices opened or ends.
  HANDLE waits[] = {ready_.Get(), thread_.Get()};
  WaitForMultipleObjects(2, waits, FALSE, INFINITE);
  if (!opened_) {
    WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Reset();
    return false;
  }
  return true;
}

void DeviceThread::Stop() {
  if (!thread_) return;
  stop_ = true;
  WaitForSingleObject(thread_.Get(), INFINITE);
  thread_.Reset();
}

void DeviceThread::Opened(bool ok) {
  opened_ = ok;
  SetEvent(ready_.Get());
}

DWORD WINAPI DeviceThread::ThreadMain(void* self) {
  auto* thread = static_cast<DeviceThread*>(self);
  thread->body_(*thread);
  return 0;
}
