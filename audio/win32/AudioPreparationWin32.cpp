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
  WaveCaptureDevice* device = nullptr;
  try {
    device = FindWaveInDevice(audioName_);
    device->Mixer().Open();
    device->Mixer().SourceLine(1).SelectForRecording();
    device->Mixer().Close();
    device->Stop();
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
