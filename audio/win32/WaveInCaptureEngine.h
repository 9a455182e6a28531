#pragma once
// The recorder's capture device on Windows: the receiver's wave-in device from the process-wide
// device list, its mixer's first source line selected for recording.

#include <memory>

#include "audio/Recorder.h"

class WaveCaptureDevice;

class WaveInCaptureEngine final : public ICaptureEngine {
 public:
  ~WaveInCaptureEngine() override { Forget(); }

  void PrepareDevice() override;
  void Start(IReceiver& receiver) override;
  void Stop() override;
  void Forget() override;
  bool HasDevice() const override { return device_ != nullptr; }

 private:
  // Shared with the device list, so that a list cleared during the recording (the receiver's
  // arrival prepares its audio and forgets the list) neither stops nor frees this capture.
  std::shared_ptr<WaveCaptureDevice> device_;
};
