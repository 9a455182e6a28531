#pragma once
// The recorder's capture device on Windows: the receiver's wave-in device from the process-wide
// device list, its mixer's first source line selected for recording.

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
  // Owned by the device list; valid until ClearWaveInDevices.
  WaveCaptureDevice* device_ = nullptr;
};
