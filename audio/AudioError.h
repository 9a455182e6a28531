#pragma once
// Failures of the recording chain travel to the caller as their fixed message texts, which the
// recorder and the device bring-up show to the user exactly as they stand.

#include <stdexcept>
#include <string>

class AudioError : public std::runtime_error {
 public:
  explicit AudioError(const char* message) : std::runtime_error(message) {}
};

namespace audio_messages {
inline constexpr const char* kDeviceNotFound = "Device not found.";
inline constexpr const char* kCantOpenMixer = "Can't open Mixer Device.";
inline constexpr const char* kMixerLineNotFound = "Mixer's line not found.";
inline constexpr const char* kCantCreateThread = "Can't create WAVE recording thread.";
inline constexpr const char* kCantOpenWaveIn = "Can't open WaveIN Device.";
inline constexpr const char* kCantAllocateBuffer = "Can't allocate memory for WAVE buffer.";
inline constexpr const char* kErrorPreparingHeader1 = "Error preparing WAVEHDR 1.";
inline constexpr const char* kErrorPreparingHeader2 = "Error preparing WAVEHDR 2.";
inline constexpr const char* kErrorQueueingHeader1 = "Error queueing WAVEHDR 1.";
inline constexpr const char* kErrorQueueingHeader2 = "Error queueing WAVEHDR 2.";
inline constexpr const char* kErrorStartingRecord = "Error starting record.";
inline constexpr const char* kErrorLoadingLame = "Error loading lame_enc.DLL";
inline constexpr const char* kNoLameInterfaces = "Unable to get LAME interfaces";
inline constexpr const char* kErrorInitStream = "ERRORR in beInitStream.";
inline constexpr const char* kCantCreateMp3File = "Can't create MP3 file.";
// A write into the recording's file failed (disk full, drive gone): the recording has ended.
inline constexpr const char* kCantWriteMp3File = "Recording stopped: cannot write the MP3 file.";
// Any other failure while preparing the recording input.
inline constexpr const char* kGenericError = "ERROR";
}  // namespace audio_messages
