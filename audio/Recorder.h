#pragma once
// The recorder of the recording session: one recording at a time from the receiver's wave-in
// device into an MP3 file. The manual recording controls and the scheduler both drive it.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/CaptureRules.h"
#include "audio/OutputFile.h"
#include "audio/Receiver.h"
#include "base/Clock.h"

// The running recording's figures, as the window's thread reads them while the capture runs.
struct RecorderStatus {
  // A write into the file failed (disk full, drive gone): the writer takes no more blocks and the
  // file ends at the last whole frame before the failure.
  bool writeFailed = false;
  // Captured audio the writer's full queue had to drop.
  uint64_t droppedBytes = 0;
  // Blocks the capture delivered so far, dropped ones included: a count that stops growing
  // means the capture stopped delivering.
  uint64_t blocksReceived = 0;
};

// What became of a stopped recording once its writer was through: every queued block encoded,
// the encoder's last frames flushed, the file closed.
struct RecordingOutcome {
  uint64_t serial = 0;  // the recording's number (IRecorder::Serial)
  std::string path;
  RecorderStatus status;  // final: a write failure found while draining or flushing included
  // The file could not be cut back to its last whole frame, not even at close: its end may hold
  // a broken frame.
  bool cutFailed = false;
};

// What the recording session asks of a recorder (and the live sound, which stops it when the
// receiver's audio goes). All calls come from the window's thread.
class IRecorder {
 public:
  virtual ~IRecorder() = default;
  // Starts recording into `path` at `kbps` (64, 128, 192 or 320). A name that is already taken
  // is never overwritten: "_2", "_3" ... go before ".mp3" (RecordingPath tells which). True
  // when the recording runs; false after a failure (LastFailure says why; nothing is shown,
  // the caller decides how it is told), with nothing left running. While a recording runs the
  // start is refused (false, nothing changes): only the recording session ends a recording, so
  // that every end is told.
  virtual bool StartRecorder(const std::string& path, uint16_t kbps) = 0;
  // The message of the last failed start ("Device not found." ...); empty when the last start
  // ran.
  virtual std::string LastFailure() const { return {}; }
  // Stops the capture at once and returns its final figures (no block is dropped after this):
  // the backlog, the encoder's flush and the close go on without the caller, and the outcome
  // reaches the finished handler when they are through. Harmless when nothing records (all
  // zero then).
  virtual RecorderStatus StopRecorder() = 0;
  virtual bool IsRecording() const = 0;
  // The file of the running (or last) recording.
  virtual std::string RecordingPath() const = 0;
  // The number of the running (or last) recording: 1 for the first started, 0 before any.
  virtual uint64_t Serial() const { return 0; }
  // The running recording's figures; all zero when nothing records.
  virtual RecorderStatus Status() const { return {}; }
  // Receives every stopped recording's outcome, on the thread that finished it (its writer's
  // own, also for the recording a destruction stops). Set it before the first start; it must be
  // safe to call from another thread, and must not wait for the window's thread, which may be
  // waiting in WaitForWriters.
  virtual void SetFinishedHandler(std::function<void(const RecordingOutcome&)> handler) { (void)handler; }
  // Waits up to `ms` in all for the writers of stopped recordings; the paths of those still
  // writing (their outcome never comes). At process exit.
  virtual std::vector<std::string> WaitForWriters(unsigned ms) {
    (void)ms;
    return {};
  }
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
  // Bytes of blocks dropped for want of room, and blocks offered (dropped ones included); read
  // from any thread.
  virtual uint64_t DroppedBytes() const { return 0; }
  virtual uint64_t BlocksReceived() const { return 0; }
  // Hands on every block still waiting, flushes the encoder and closes the file, on the calling
  // thread, once the capture has stopped; WriteFailed and CutFailed are final afterwards. The
  // destruction does it for a sink nobody finished; a second call does nothing.
  virtual void Finish() {}
  // A failed write left a torn frame that could not be cut off, not even at close.
  virtual bool CutFailed() const { return false; }
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

class SinkClosers;

class Recorder final : public IRecorder {
 public:
  // A stop waits for nothing on the caller's thread, so `clock` goes unused.
  Recorder(std::unique_ptr<ICaptureEngine> engine, IClock& clock, SinkFactory sinks = Mp3SinkFactory(),
           std::function<bool(const std::string&)> exists = nullptr);
  // Stops a recording still running and waits for no writer: the program's exit has given them
  // their one wait (WaitForWriters) already, and a writer stuck on a dead drive must not hold
  // the process a second time. Those still at work finish on their own.
  ~Recorder() override;
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  bool StartRecorder(const std::string& path, uint16_t kbps) override;
  std::string LastFailure() const override { return failure_; }
  RecorderStatus StopRecorder() override;
  bool IsRecording() const override { return recording_; }
  std::string RecordingPath() const override { return path_; }
  uint64_t Serial() const override { return serial_; }
  RecorderStatus Status() const override;
  void SetFinishedHandler(std::function<void(const RecordingOutcome&)> handler) override {
    finished_ = std::move(handler);
  }
  std::vector<std::string> WaitForWriters(unsigned ms) override;

 private:
  std::unique_ptr<ICaptureEngine> engine_;
  SinkFactory sinks_;
  std::function<bool(const std::string&)> exists_;
  std::unique_ptr<IRecordingSink> sink_;
  std::string path_;
  bool recording_ = false;
  std::string failure_;
  uint64_t serial_ = 0;
  std::function<void(const RecordingOutcome&)> finished_;
  // The writers of stopped recordings, still finishing their files.
  std::unique_ptr<SinkClosers> closers_;
};
