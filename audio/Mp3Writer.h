#pragma once
// The recorder's MP3 file writer: every captured PCM block is encoded by LAME and appended to
// one file; the file is the bare encoder output (no tags, no Info header).

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/BladeEnc.h"
#include "audio/LameBinding.h"
#include "audio/OutputFile.h"
#include "audio/Receiver.h"

constexpr uint32_t kCaptureSampleRate = 16000;
constexpr uint32_t kRecordingSampleRate = 44100;

// One encoding stream configured for the recorder.
class Mp3Encoder {
 public:
  explicit Mp3Encoder(LameBinding& binding) : binding_(binding) {}
  ~Mp3Encoder() { Close(); }
  Mp3Encoder(const Mp3Encoder&) = delete;
  Mp3Encoder& operator=(const Mp3Encoder&) = delete;

  // Loads the binding, fills the configuration and opens the stream. Throws AudioError with the
  // binding's messages or "ERRORR in beInitStream.".
  void Init(uint32_t bitrateKbps, uint32_t inputRate, uint32_t outputRate);
  // The encoder's view of beEncodeChunk / beDeinitStream: bytes written to `output`.
  uint32_t Encode(const int16_t* pcm, uint32_t samples, uint8_t* output);
  uint32_t Flush(uint8_t* output);
  // Closes the stream; safe to repeat.
  void Close();

  bool IsOpen() const { return stream_ != nullptr; }

 private:
  BE_CONFIG config_{};
  HBE_STREAM stream_ = nullptr;
  uint32_t outputBufferSize_ = 0;
  uint32_t samplesPerChunk_ = 0;
  LameBinding& binding_;
};

class mp3Writer final : public IReceiver {
 public:
  // Opens the encoder (bit rate in kbit/s, 16000 Hz in, `outputRate` out) and creates the file
  // through `createFile`. Throws AudioError; a failed construction leaves no stream or file open.
  mp3Writer(const std::string& path, uint16_t bitrateKbps, uint32_t outputRate,
            LameBinding& binding = LameBinding::Process(), const OutputFileFactory& createFile = CreateOutputFile);
  // Closes, unless done.
  ~mp3Writer();
  mp3Writer(const mp3Writer&) = delete;
  mp3Writer& operator=(const mp3Writer&) = delete;

  // Interleaved 16-bit stereo; an odd last byte is dropped. 0, or the write's system error.
  // After a failed write the file is cut back to its last whole frame and every later block is
  // refused: the recording has ended there, and WriteFailed tells the window's thread so.
  int Receive(const uint8_t* block, uint32_t bytes) override;
  // Flushes the encoder's last frames into the file (not after a failed write: the file ends at
  // the cut), makes one more try at a cut the failure could not make, closes the file, then
  // closes the stream. Later calls do nothing; call it on the thread that feeds the writer, or
  // after that thread is through.
  void Close();
  // Safe from any thread. A failure of the closing flush counts too.
  bool WriteFailed() const { return writeFailed_.load(std::memory_order_acquire); }
  // A failed write left bytes of a torn frame at the end of the file that neither the cut at the
  // failure nor the one at close could remove. Safe from any thread.
  bool CutFailed() const { return cutFailed_.load(std::memory_order_acquire); }

 private:
  // Appends one encoder output whole or not at all, as far as the file can be cut back.
  int Append(const uint8_t* data, size_t bytes);

  Mp3Encoder encoder_;
  std::unique_ptr<IOutputFile> file_;
  std::vector<uint8_t> output_;
  // Bytes of whole encoder outputs in the file.
  uint64_t written_ = 0;
  std::atomic<bool> writeFailed_{false};
  // The file still ends in the bytes of a failed write.
  bool cutPending_ = false;
  std::atomic<bool> cutFailed_{false};
};
