#pragma once
// Test access to state that an earlier command, a running recorder or a seek in progress would
// have left, for the cases that start from such a state without playing their way to it.

#include <cstdint>
#include <string>
#include <utility>

#include "app/MainWindow.h"

struct MainWindowProbe {
  static void SetSeekStableReads(MainWindow& window, uint16_t reads) { window.seekStable_ = reads; }
  // The wall-clock second the heartbeat last acted in; 0xFF before the first.
  static uint8_t LastSecond(const MainWindow& window) { return window.lastSecond_; }
};

struct RecordingControllerProbe {
  // The session's flag alone: no recorder runs.
  static void SetRecording(RecordingController& recording, bool on) { recording.recording_ = on; }
  // The monotonic time the running time counts from.
  static void SetStartMs(RecordingController& recording, uint64_t ms) { recording.startMs_ = ms; }
  static void SetRecordLabel(RecordingController& recording, std::string label) { recording.recordLabel_ = std::move(label); }
};
