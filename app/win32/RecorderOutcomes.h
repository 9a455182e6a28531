#pragma once
// What the recorder's writers find once a stopped recording's file is through, carried from their
// threads to the window's: queued under a lock, and the window told by a posted message. It
// outlives the recorder, whose last writers may report while it goes.

#include <windows.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "audio/Recorder.h"

class RecorderOutcomes {
 public:
  // Posted to the target window when an outcome was queued.
  static constexpr UINT kMessage = WM_APP + 2;

  // Any thread.
  void Post(const RecordingOutcome& outcome) {
    {
      std::lock_guard<std::mutex> guard(lock_);
      queued_.push_back(outcome);
    }
    if (HWND target = target_.load()) PostMessageA(target, kMessage, 0, 0);
  }
  // The window told from here on; none: outcomes are only queued.
  void SetTarget(HWND window) { target_.store(window); }
  // The outcomes queued so far, oldest first.
  std::vector<RecordingOutcome> Take() {
    std::vector<RecordingOutcome> taken;
    std::lock_guard<std::mutex> guard(lock_);
    taken.swap(queued_);
    return taken;
  }

 private:
  std::mutex lock_;
  std::vector<RecordingOutcome> queued_;
  std::atomic<HWND> target_{nullptr};
};
