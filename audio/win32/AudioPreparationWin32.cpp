#include "audio/win32/AudioPreparationWin32.h"

#include <windows.h>

#include "audio/AudioError.h"
#include "audio/CaptureRules.h"
#include "audio/win32/WaveCapture.h"

std::string WaveInAudioPreparation::PrepareRecordingInput() {
  // The list is forgotten on every way out: a list kept after a failure would lack the receiver
  // for every later lookup of this run.
  struct ForgetList {
    ~ForgetList() { ClearWaveInDevices(); }
  } forget;
  std::shared_ptr<WaveCaptureDevice> device;
  try {
    device = FindWaveInDevice(audioName_);
    device->Mixer().Open();
    device->Mixer().SourceLine(1).SelectForRecording();
    device->Mixer().Close();
    // The device is not stopped: the one capture a listed device can be running is a recording's
    // (a scheduled one runs while the receiver's HID side is closed), which holds the device and
    // goes on to its own stop; an idle device has nothing to stop.
    return "";
  } catch (const AudioError& e) {
    if (device) device->Mixer().Close();
    return e.what();
  } catch (...) {
    if (device) device->Mixer().Close();
    return audio_messages::kGenericError;
  }
}

void MessageFailureBox::Show(const std::string& message) {
  // The answer makes no difference.
  MessageBoxA(nullptr, message.c_str(), " ", MB_OKCANCEL);
}
