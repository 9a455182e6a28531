#pragma once
// The recorder of the device object: one recording at a time from the receiver's wave-in
// device into an MP3 file. The manual recording controls and the scheduler both drive it.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "audio/OutputFile.h"
#include "audio/Receiver.h"
#include "device/Clock.h"

class IFailureBox;

// What the device object asks of a recorder. All calls come from the window's thread.
class IRecorder {
 public:
  virtual ~IRecorder() = default;
  // Starts recording into `path` at `kbps` (64, 128, 192 or 320). A name that is already taken
  // is never overwritten: "_2", "_3" ... go before ".mp3" (RecordingPath tells which). True
  // when the recording runs; false after a failure, whose message has already been shown once,
  // with nothing left running.
  virtual bool StartRecorder(const std::string& path, uint16_t kbps) = 0;
  // Ends the recording: every captured block is in the file, the encoder's last frames are
  // flushed and the file is closed when this returns. Harmless when nothing records.
  virtual void StopRecorder() = 0;
  virtual bool IsRecording() const = 0;
  // The file of the running (or last) recording.
  virtual std::string RecordingPath() const = 0;
  // True once a write into the running recording's file failed (disk full, drive gone): the
  // writer takes no more blocks, and the window's thread ends the recording by StopRecorder.
  virtual bool WriteFailed() const { return false; }
  // Shows "Recording stopped: cannot write the MP3 file." when the last recording ended on a
  // write failure and that was not shown yet; nothing otherwise. Call it after StopRecorder.
  virtual void ReportWriteFailure() {}
};

// The receiver's capture device as the recorder drives it (wave-in on Windows). Failures throw
// AudioError with their fixed texts.
class ICaptureEngine {
 public:
  virtual ~ICaptureEngine() = default;
  // Finds the receiver's device unless one is current already, and selects its first mixer
  // source line for recording.
  virtual void PrepareDevice() = 0;
  // Starts delivering blocks to `receiver` on the capture thread.
  virtual void Start(IReceiver& receiver) = 0;
  // Returns when no block will be delivered any more. Nothing happens when not capturing.
  virtual void Stop() = 0;
  // Stops, then forgets the current device and the device list; the next start looks again.
  virtual void Forget() = 0;
  virtual bool HasDevice() const = 0;
};

// A recording file's writer: a receiver that is flushed and closed by its destruction.
class IRecordingSink : public IReceiver {
 public:
  virtual ~IRecordingSink() = default;
  // True once a write failed and the sink stopped taking blocks; read from any thread.
  virtual bool WriteFailed() const { return false; }
};
// Creates the writer of one recording; throws AudioError ("Can't create MP3 file." ...).
using SinkFactory = std::function<std::unique_ptr<IRecordingSink>(const std::string& path, uint16_t kbps)>;
// The MP3 writer at 44100 Hz over the process's encoder binding, into files made by `files`,
// fed on a thread of its own (QueuedSink) rather than on the capture thread.
SinkFactory Mp3SinkFactory(OutputFileFactory files = CreateOutputFile);

// `path` itself when no file has that name, else the first free "<stem>_N<ext>" from N = 2
// (the extension is what follows the last '.' of the file name; a name without one gets the
// number at its end).
std::string FreeRecordingPath(const std::string& path, const std::function<bool(const std::string&)>& exists);

class Recorder final : public IRecorder {
 public:
  // `failures` shows each failure's message (may be null: failures are then silent).
  Recorder(std::unique_ptr<ICaptureEngine> engine, IClock& clock, IFailureBox* failures, SinkFactory sinks = Mp3SinkFactory(),
           std::function<bool(const std::string&)> exists = nullptr);
  ~Recorder() override;
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  bool StartRecorder(const std::string& path, uint16_t kbps) override;
  void StopRecorder() override;
  bool IsRecording() const override { return recording_; }
  std::string RecordingPath() const override { return path_; }
  bool WriteFailed() const override { return sink_ && sink_->WriteFailed(); }
  void ReportWriteFailure() override;

  // Pause between the capture stop and closing the file.
  static constexpr unsigned kStopSettleMs = 200;

 private:
  std::unique_ptr<ICaptureEngine> engine_;
  IClock& clock_;
  IFailureBox* failures_;
  SinkFactory sinks_;
  std::function<bool(const std::string&)> exists_;
  std::unique_ptr<IRecordingSink> sink_;
  std::string path_;
  bool recording_ = false;
  // The last recording ended on a write failure that ReportWriteFailure has not shown yet.
  bool unreportedWriteFailure_ = false;
};
