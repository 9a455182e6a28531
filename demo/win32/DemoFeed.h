#pragma once
// The demo receiver's audio function: what the demo receiver plays goes out through wave-out into
// the device that stands for the receiver's USB audio (the rig's "Receiver Feed" sink, whose
// monitor is the "FM Radio" source Kestrune listens to and records from). Where no such device
// exists (a plain Windows machine) it plays to the default output, so the demo is still heard.
//
// The wave-out device's clock paces the rendering, as a real receiver's USB clock would. One
// thread owns the device from open to close.

#include <windows.h>

#include "audio/win32/DeviceThread.h"
#include "demo/DemoReceiver.h"

// Wave-out id of the first device whose product name contains `name` (letter case ignored);
// WAVE_MAPPER when none does.
UINT FindWaveOutByName(const char* name);

class DemoFeed {
 public:
  static constexpr const char* kFeedDeviceName = "Receiver Feed";

  explicit DemoFeed(DemoReceiver& receiver) : receiver_(receiver) {}
  ~DemoFeed() { Stop(); }
  DemoFeed(const DemoFeed&) = delete;
  DemoFeed& operator=(const DemoFeed&) = delete;

  // True when the output opened and plays.
  bool Start();
  void Stop();
  // Whether the feed device was found (false: playing to the default output).
  bool IntoFeedDevice() const { return intoFeed_; }

 private:
  void Run(DeviceThread& thread);

  DemoReceiver& receiver_;
  bool intoFeed_ = false;
  DeviceThread thread_;  // last: it ends before the rest goes
};
