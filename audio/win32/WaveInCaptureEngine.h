#pragma once
// The recorder's capture device on Windows: the receiver's wave-in device from the process-wide
// device list, its mixer's first source line selected for recording.

#include <memory>

#include "audio/Recorder.h"
#include "audio/win32/WaveCapture.h"

class WaveInCaptureEngine final : public ICaptureEngine {
 public:
  WaveInCaptureEngine() = default;
  // The receiver's device over `calls` instead of the driver's own: a device object of this
  // engine's, outside the shared list, for a test that stands in for a misbehaving driver.
  explicit WaveInCaptureEngine(WaveInCalls calls) : calls_(calls), ownDevice_(true) {}
  ~WaveInCaptureEngine() override { Forget(); }
  WaveInCaptureEngine(const WaveInCaptureEngine&) = delete;
  WaveInCaptureEngine& operator=(const WaveInCaptureEngine&) = delete;

  void PrepareDevice() override;
  void Start(IReceiver& receiver) override;
  void Stop() override;
  void Forget() override;
  bool HasDevice() const override { return device_ != nullptr; }

 private:
  const WaveInCalls calls_{};
  const bool ownDevice_ = false;
  // Shared with the device list (unless the engine has a device of its own), so that a list
  // cleared during the recording (the receiver's arrival prepares its audio and forgets the
  // list) neither stops nor frees this capture.
  std::shared_ptr<WaveCaptureDevice> device_;
};
