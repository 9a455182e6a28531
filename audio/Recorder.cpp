#include "audio/Recorder.h"

#include "audio/AudioError.h"
#include "audio/AudioPreparation.h"
#include "audio/Mp3Writer.h"
#include "audio/OutputFile.h"
#include "audio/QueuedSink.h"
#include "audio/SinkClosers.h"

namespace {

class Mp3Sink final : public IRecordingSink {
 public:
  Mp3Sink(const std::string& path, uint16_t kbps, const OutputFileFactory& files)
      : writer_(path, kbps, kRecordingSampleRate, LameBinding::Process(), files) {}
  int Receive(const uint8_t* block, uint32_t bytes) override { return writer_.Receive(block, bytes); }
  bool WriteFailed() const override { return writer_.WriteFailed(); }
  void Finish() override { writer_.Close(); }
  bool CutFailed() const override { return writer_.CutFailed(); }

 private:
  mp3Writer writer_;
};

}  // namespace

SinkFactory Mp3SinkFactory(OutputFileFactory files) {
  return [files = std::move(files)](const std::string& path, uint16_t kbps) -> std::unique_ptr<IRecordingSink> {
    return std::make_unique<QueuedSink>(std::make_unique<Mp3Sink>(path, kbps, files));
  };
}

std::string FreeRecordingPath(const std::string& path, const std::function<bool(const std::string&)>& exists) {
  if (!exists || !exists(path)) return path;
  const size_t nameStart = path.find_last_of("\\/") == std::string::npos ? 0 : path.find_last_of("\\/") + 1;
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < nameStart) dot = path.size();
  const std::string stem = path.substr(0, dot), extension = path.substr(dot);
  // Bounded so that a folder that claims every name cannot hang the window.
  for (unsigned n = 2; n < 100000; ++n) {
    std::string candidate = stem + "_" + std::to_string(n) + extension;
    if (!exists(candidate)) return candidate;
  }
  return path;
}

Recorder::Recorder(std::unique_ptr<ICaptureEngine> engine, IClock&, SinkFactory sinks,
                   std::function<bool(const std::string&)> exists)
    : engine_(std::move(engine)),
      sinks_(std::move(sinks)),
      exists_(exists ? std::move(exists) : std::function<bool(const std::string&)>(OutputPathTaken)),
      closers_(std::make_unique<SinkClosers>()) {}

Recorder::~Recorder() { StopRecorder(); }

bool Recorder::StartRecorder(const std::string& path, uint16_t kbps) {
  if (recording_) return false;
  // A capture device left from an earlier stop is let go before the new lookup.
  StopRecorder();
  failure_.clear();
  try {
    engine_->PrepareDevice();
    path_ = FreeRecordingPath(path, exists_);
    sink_ = sinks_(path_, kbps);
    engine_->Start(*sink_);
    recording_ = true;
    ++serial_;
    return true;
  } catch (const AudioError& e) {
    // Nothing is left half-started: the next start looks for the device again, and a file
    // made for a capture that never ran is closed and removed rather than left as a stub.
    engine_->Forget();
    if (sink_) {
      sink_.reset();
      RemoveOutputFile(path_);
    }
    failure_ = e.what();
    return false;
  }
}

RecorderStatus Recorder::Status() const {
  if (!sink_) return {};
  return {sink_->WriteFailed(), sink_->DroppedBytes(), sink_->BlocksReceived()};
}

RecorderStatus Recorder::StopRecorder() {
  if (!engine_->HasDevice() && !sink_) return {};
  // No block arrives after this, so the counts read next are final.
  engine_->Stop();
  const RecorderStatus status = Status();
  engine_->Forget();
  recording_ = false;
  if (sink_) closers_->Close(std::move(sink_), RecordingOutcome{serial_, path_, status, false}, finished_);
  return status;
}

std::vector<std::string> Recorder::WaitForWriters(unsigned ms) { return closers_->Wait(ms); }
