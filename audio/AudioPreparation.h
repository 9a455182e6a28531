#pragma once
// Preparing the receiver's audio function as recording input when the receiver opens, and the
// message box that reports failures of the recording chain.

#include <string>

// The receiver's audio function is not among the wave-in devices.
constexpr const char* kAudioDeviceNotFound = "Device not found.";

class IAudioPreparation {
 public:
  virtual ~IAudioPreparation() = default;
  // Finds the "FM Radio" wave-in device, selects its mixer source line for recording and
  // forgets the device list; a recording running on that device goes on undisturbed. Returns ""
  // on success, else the message to show:
  // "Device not found.", "Can't open Mixer Device.", "Mixer's line not found." or "ERROR".
  virtual std::string PrepareRecordingInput() = 0;
};

// A message box without owner, caption " " (one blank), buttons OK and Cancel. The answer is
// not used by any caller.
class IFailureBox {
 public:
  virtual ~IFailureBox() = default;
  virtual void Show(const std::string& message) = 0;
};
