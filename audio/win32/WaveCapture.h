#pragma once
// Wave capture through waveIn: the list of usable wave-in devices, the receiver's lookup among
// them, its mixer's recording-source selection, and the capture whose thread hands each filled
// block to an IReceiver. Failures throw AudioError with their fixed texts.

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "audio/AudioError.h"
#include "audio/CaptureRules.h"
#include "audio/Receiver.h"
#include "audio/win32/CaptureFormat.h"
#include "base/win32/Win32Handle.h"

// One source line of a wave-in destination, with the mixer it came from.
class MixerSourceLine {
 public:
  MixerSourceLine(HMIXER mixer, const MIXERLINEA& line) : mixer_(mixer), line_(line) {}
  // Makes this line the recording input of the wave-in destination. A destination without a
  // list control (as under Wine) has nothing to select; mixer query errors are ignored.
  void SelectForRecording() const;
  const MIXERLINEA& Line() const { return line_; }
  HMIXER Mixer() const { return mixer_; }

 private:
  HMIXER mixer_;
  MIXERLINEA line_;
};

class WaveInMixer {
 public:
  explicit WaveInMixer(UINT deviceId) : deviceId_(deviceId) {}
  ~WaveInMixer() { Close(); }
  WaveInMixer(const WaveInMixer&) = delete;
  WaveInMixer& operator=(const WaveInMixer&) = delete;

  // Opens the wave-in device's own mixer and lists the non-synthesizer source lines of its
  // wave-in destination. Throws "Can't open Mixer Device.", or "Mixer's line not found." when
  // that mixer has no wave-in destination; either way the mixer is left closed.
  void Open();
  // 1-based; throws "Mixer's line not found." for 0 or past the end. The copy stays valid after
  // the mixer closes (its handle does not).
  MixerSourceLine SourceLine(uint8_t position);
  void Close();
  size_t LineCount();

 private:
  UINT deviceId_;
  std::mutex lock_;
  HMIXER handle_ = nullptr;
  std::vector<MixerSourceLine> lines_;
};

// The driver calls that can fail in the middle of a capture's life; the driver's own unless a
// test stands in for a driver that keeps refusing the close, a buffer or the start.
struct WaveInCalls {
  MMRESULT(WINAPI* close)(HWAVEIN) = &waveInClose;
  MMRESULT(WINAPI* addBuffer)(HWAVEIN, LPWAVEHDR, UINT) = &waveInAddBuffer;
  MMRESULT(WINAPI* start)(HWAVEIN) = &waveInStart;
};

class WaveCaptureDevice {
 public:
  WaveCaptureDevice(UINT deviceId, const WAVEINCAPSA& caps, WaveInCalls calls = {});
  // Stops a running capture and releases the buffers, unless a driver that never accepted the
  // close may still write to them: those stay allocated for the rest of the process.
  ~WaveCaptureDevice();
  WaveCaptureDevice(const WaveCaptureDevice&) = delete;
  WaveCaptureDevice& operator=(const WaveCaptureDevice&) = delete;

  // Starts capturing into `receiver`, which must outlive the capture. Returns at once when
  // already capturing (the receiver is not changed). Throws AudioError; after a failure the
  // device is closed and idle. The first buffer's preparing or queueing failure is reported as
  // header 1's, any later buffer's as header 2's.
  void Start(IReceiver* receiver);
  // Returns when every captured block, including the partial ones, has been delivered and the
  // capture thread has ended. Nothing happens on an idle device.
  void Stop();

  bool IsCapturing();
  // True while a stopped capture's handle is still refused closing: its driver may still use
  // the buffers and their headers.
  bool HeldByDriver();
  UINT Id() const { return deviceId_; }
  // The driver need not end a 32-character name with a null.
  std::string ProductName() const { return {caps_.szPname, strnlen(caps_.szPname, sizeof caps_.szPname)}; }
  const WAVEINCAPSA& Caps() const { return caps_; }
  WaveInMixer& Mixer() { return mixer_; }

  // How long Stop waits for the driver to hand back the buffers it was given, and for
  // waveInClose to accept, before it takes the device for gone.
  static constexpr DWORD kReturnTimeoutMs = 2000;
  // How often that wait repeats the reset.
  static constexpr unsigned kResetRepeatMs = 50;

 private:
  // A start that fails after the open stops at once, often before the thread has seen it run:
  // only a failed open may end the thread unasked, or nobody counts the buffers coming back.
  enum State : int32_t { kStarting = 0, kRunning = 1, kStopping = 2, kOpenFailed = 3 };

  static DWORD WINAPI ThreadMain(void* self);
  void RunThread();
  bool CloseDevice();
  bool ReleasedByDriverLocked();
  void EndThread();
  void FailStart(const char* message);

  void UnprepareHeaders(uint32_t count);

  const UINT deviceId_;
  const WAVEINCAPSA caps_;
  const WaveInCalls calls_;
  HWAVEIN wave_ = nullptr;
  // A stopped capture's handle that the driver would not close in time.
  HWAVEIN heldWave_ = nullptr;
  WAVEFORMATEX format_ = CaptureWaveFormat();
  std::atomic<IReceiver*> receiver_{nullptr};
  WaveInMixer mixer_;
  std::recursive_mutex lock_;  // Start calls Stop on some failure paths
  std::atomic<int32_t> state_{kStopping};
  // Buffers the driver holds: counted before each waveInAddBuffer and given back when it fails,
  // so that Stop waits for exactly those the reset can return.
  std::atomic<uint8_t> outstanding_{0};
  // Everything the driver is handed lives in one block, so that a driver that never lets go can
  // be left with all of it.
  struct BufferBlock {
    WAVEHDR headers[kCaptureBufferCount];
    uint8_t data[kCaptureBufferCount * kCaptureBufferBytes];
  };
  struct VirtualFreeDeleter {
    void operator()(BufferBlock* block) const { VirtualFree(block, 0, MEM_RELEASE); }
  };
  // Kept across captures.
  std::unique_ptr<BufferBlock, VirtualFreeDeleter> buffers_;
  UniqueHandle thread_;
  DWORD threadId_ = 0;
  UniqueHandle threadReady_;
};

// The process-wide device list. The list shares each device with whoever found it: a recording
// keeps its device, capturing, through a ClearWaveInDevices that the receiver's arrival runs
// meanwhile, and the device goes (stopping its capture) with its last holder.
void EnumerateWaveInDevices();
// The first listed device whose product name contains `name`, letter case ignored. Throws
// "Device not found.".
std::shared_ptr<WaveCaptureDevice> FindWaveInDevice(const std::string& name);
// Forgets every device, destroying those nobody else holds; the next lookup enumerates again.
void ClearWaveInDevices();
// The wave-in id that a lookup of `name` in a fresh list would give, without making device
// objects (for a user that opens the device itself); WAVE_MAPPER when none matches.
UINT FindWaveInId(const std::string& name);
// Product names of the listed devices, in list order.
std::vector<std::string> ListedWaveInDevices();
