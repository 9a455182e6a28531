#pragma once
// The Win32 side of preparing the receiver's audio when it opens: select its wave-in source on
// its mixer, and show failures in the recorder's message box.

#include "audio/AudioPreparation.h"

class WaveInAudioPreparation final : public IAudioPreparation {
 public:
  std::string PrepareRecordingInput() override;
};

class MessageFailureBox final : public IFailureBox {
 public:
  void Show(const std::string& message) override;
};
