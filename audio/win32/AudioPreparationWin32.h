#pragma once
// The Win32 side of preparing the receiver's audio when it opens: select its wave-in source on
// its mixer, and show failures in the recorder's message box.

#include <string>
#include <utility>

#include "audio/AudioPreparation.h"
#include "audio/CaptureRules.h"

class WaveInAudioPreparation final : public IAudioPreparation {
 public:
  explicit WaveInAudioPreparation(std::string audioName = kReceiverAudioName) : audioName_(std::move(audioName)) {}
  std::string PrepareRecordingInput() override;

 private:
  std::string audioName_;
};

class MessageFailureBox final : public IFailureBox {
 public:
  void Show(const std::string& message) override;
};
