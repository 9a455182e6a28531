#include "audio/win32/WaveInCaptureEngine.h"

#include "audio/CaptureRules.h"
#include "audio/win32/WaveCapture.h"

void WaveInCaptureEngine::PrepareDevice() {
  if (!device_) {
    device_ = FindWaveInDevice(kReceiverAudioName);
    if (ownDevice_) device_ = std::make_shared<WaveCaptureDevice>(device_->Id(), device_->Caps(), calls_);
  }
  WaveInMixer& mixer = device_->Mixer();
  try {
    mixer.Open();
    mixer.SourceLine(1).SelectForRecording();
  } catch (...) {
    mixer.Close();
    throw;
  }
  mixer.Close();
}

void WaveInCaptureEngine::Start(IReceiver& receiver) {
  if (device_) device_->Start(&receiver);
}

void WaveInCaptureEngine::Stop() {
  if (device_) device_->Stop();
}

void WaveInCaptureEngine::Forget() {
  Stop();
  device_.reset();
  ClearWaveInDevices();
}
