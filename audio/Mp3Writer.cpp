#include "audio/Mp3Writer.h"

#include <algorithm>
#include <cstring>

#include "audio/AudioError.h"

namespace {

// Well above what any accepted slice can produce: at 320 kbit/s one input frame (4 bytes at
// 16 kHz) yields 2.5 bytes of MP3, and the encoder may add a few frames it held back.
constexpr size_t kOutputAreaBytes = 176 * 1024;
// A block larger than this is fed in slices so that the output area can never overflow, however
// large a block a caller passes.
constexpr uint32_t kMaxSamplesPerEncode = 32768;

}  // namespace

void Mp3Encoder::Init(uint32_t bitrateKbps, uint32_t inputRate, uint32_t outputRate) {
  Close();
  binding_.Load();
  FillRecorderConfig(config_, bitrateKbps, inputRate, outputRate);
  HBE_STREAM stream = nullptr;
  const BE_ERR result =
      binding_.Entries().beInitStream(&config_, &samplesPerChunk_, &outputBufferSize_, &stream);
  if (result != BE_ERR_SUCCESSFUL) {
    // The DLL creates its encoder state before it checks the configuration; release it.
    if (stream) binding_.Entries().beCloseStream(stream);
    throw AudioError(audio_messages::kErrorInitStream);
  }
  stream_ = stream;
}

uint32_t Mp3Encoder::Encode(const int16_t* pcm, uint32_t samples, uint8_t* output) {
  uint32_t produced = 0;
  // The status is not examined: whatever length the encoder reports is used (0 on failure).
  binding_.Entries().beEncodeChunk(stream_, samples, const_cast<int16_t*>(pcm), output, &produced);
  return produced;
}

uint32_t Mp3Encoder::Flush(uint8_t* output) {
  uint32_t produced = 0;
  binding_.Entries().beDeinitStream(stream_, output, &produced);
  return produced;
}

void Mp3Encoder::Close() {
  if (!stream_) return;
  binding_.Entries().beCloseStream(stream_);
  stream_ = nullptr;
}

mp3Writer::mp3Writer(const std::string& path, uint16_t bitrateKbps, uint32_t outputRate,
                     LameBinding& binding, const OutputFileFactory& createFile)
    : encoder_(binding) {
  encoder_.Init(bitrateKbps, kCaptureSampleRate, outputRate);
  file_ = createFile(path);
  if (!file_) {
    encoder_.Close();
    throw AudioError(audio_messages::kCantCreateMp3File);
  }
  output_.resize(kOutputAreaBytes);
}

mp3Writer::~mp3Writer() { Close(); }

void mp3Writer::Close() {
  // The encoder holds back up to a frame and a half of audio; without this flush the end of
  // every recording would be lost. After a failed write the recording has ended at the cut:
  // frames appended to a disk that had room freed meanwhile would follow a gap.
  if (file_ && encoder_.IsOpen() && !WriteFailed()) {
    const uint32_t produced = encoder_.Flush(output_.data());
    if (produced) Append(output_.data(), produced);
  }
  // A drive that refused the cut at the failure (busy, or away for a moment) may take it now.
  if (file_ && cutPending_) {
    cutPending_ = file_->Truncate(written_) != 0;
    if (cutPending_) cutFailed_.store(true, std::memory_order_release);
  }
  file_.reset();
  encoder_.Close();
}

int mp3Writer::Append(const uint8_t* data, size_t bytes) {
  const int status = file_->Write(data, bytes);
  if (status == 0) {
    written_ += bytes;
    return 0;
  }
  // A write that stopped part-way would leave a torn frame that every later frame is read
  // against; a cut that fails now is tried again at close.
  cutPending_ = file_->Truncate(written_) != 0;
  writeFailed_.store(true, std::memory_order_release);
  return status;
}

int mp3Writer::Receive(const uint8_t* block, uint32_t bytes) {
  if (!block || !encoder_.IsOpen() || !file_ || WriteFailed()) return 0;
  uint32_t samples = bytes / 2;
  // Stereo frames are never split across slices.
  samples -= samples % 2;
  alignas(int16_t) int16_t slice[kMaxSamplesPerEncode];
  for (uint32_t done = 0; done < samples;) {
    const uint32_t count = std::min(samples - done, kMaxSamplesPerEncode);
    // The capture block need not be aligned for 16-bit access.
    std::memcpy(slice, block + done * 2, count * 2);
    const uint32_t produced = encoder_.Encode(slice, count, output_.data());
    if (produced) {
      const int status = Append(output_.data(), std::min<size_t>(produced, output_.size()));
      if (status != 0) return status;
    }
    done += count;
  }
  return 0;
}
