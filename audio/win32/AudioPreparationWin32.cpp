#include "audio/win32/AudioPreparationWin32.h"

#include <windows.h>

#include "audio/AudioError.h"
#include "audio/CaptureRules.h"
#include "audio/win32/WaveCapture.h"

std::string WaveInAudioPreparation::PrepareRecordingInput() {
  WaveCaptureDevice* device = nullptr;
  try {
    device = FindWaveInDevice(kReceiverAudioName);
    device->Mixer().Open();
    device->Mixer().SourceLine(1).SelectForRecording();
    device->Mixer().Close();
    device->Stop();
    ClearWaveInDevices();
    return "";
  } catch (const AudioError& e) {
    // A failed lookup or mixer step leaves nothing open.
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
