#pragma once
// Live listening without DirectShow: the receiver's wave-in device copied to the default wave-out
// device, scaled by a software gain. Used where the capture filter cannot be connected to the
// renderer (Wine's capture filter has no output pin), so that the user still hears the receiver.
//
// One thread opens both devices, moves the blocks and closes the devices again: the wave handles
// are never touched from two threads. Start/Stop/SetAttenuation are called from the window's
// thread; the attenuation reaches the mover through an atomic.

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <string>

#include "audio/win32/DeviceThread.h"

class WaveMonitor {
 public:
  WaveMonitor() = default;
  ~WaveMonitor() { Stop(); }
  WaveMonitor(const WaveMonitor&) = delete;
  WaveMonitor& operator=(const WaveMonitor&) = delete;

  // Starts monitoring the wave-in device the recorder would find by `name` (FindWaveInId: letter
  // case ignored). True when both devices opened and the capture runs; true at once when already
  // running. False leaves nothing open. A monitor that ended on its own is started again.
  bool Start(const std::string& name);
  // Returns once the devices are closed and the thread has ended. Safe when idle.
  void Stop();
  // False also once the mover has ended on its own (a driver error).
  bool Running() const { return thread_.Running(); }
  // The wave-in id of the device the last start opened, as the driver reports it for the open
  // handle; WAVE_MAPPER when it opened none.
  UINT OpenedDeviceId() const { return openedId_.load(); }

  // Hundredths of a decibel as put_Volume takes them; -10000 silences the monitor.
  void SetAttenuation(int hundredthsOfDecibel) { attenuation_.store(hundredthsOfDecibel); }
  // Blocks played since Start (for the tests: proves the mover runs).
  unsigned BlocksPlayed() const { return played_.load(); }

  // 40 ms blocks: short enough to keep the delay below a fifth of a second end to end.
  static constexpr unsigned kBlockBytes = 16000 * 4 / 25;
  static constexpr unsigned kInBlocks = 4;
  static constexpr unsigned kOutBlocks = 6;

 private:
  void Run(DeviceThread& thread);

  std::string name_;
  std::atomic<int> attenuation_{0};
  std::atomic<unsigned> played_{0};
  std::atomic<UINT> openedId_{WAVE_MAPPER};
  DeviceThread thread_;  // last: it ends before the rest goes
};
