// The device object's recorder over a scripted capture device and the real MP3 writer: what
// ends up on disk, what the user is told when a start fails, and what is left running.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>

#include "audio/AudioError.h"
#include "audio/AudioPreparation.h"
#include "audio/QueuedSink.h"
#include "audio/Recorder.h"
#include "device/MyKestrune.h"
#include "tests/support/AudioMp3Scan.h"
#include "tests/support/FillingDrive.h"
#include "tests/support/ManualClock.h"
#include "tests/support/SimulatedReceiver.h"

namespace {

namespace fs = std::filesystem;

// A capture device whose blocks the test hands over by Deliver; a stop delivers the blocks still
// "in the driver" first, as the wave-in engine does.
class ScriptedCapture final : public ICaptureEngine {
 public:
  explicit ScriptedCapture(std::vector<std::string>& log) : log_(log) {}
  void PrepareDevice() override {
    log_.push_back("prepare");
    if (!prepareFailure.empty()) throw AudioError(prepareFailure.c_str());
    device = true;
  }
  void Start(IReceiver& receiver) override {
    log_.push_back("start");
    if (!startFailure.empty()) throw AudioError(startFailure.c_str());
    receiver_ = &receiver;
  }
  void Stop() override {
    if (!receiver_) return;
    log_.push_back("stop");
    for (int i = 0; i < pendingAtStop; ++i) Deliver(1);
    receiver_ = nullptr;
  }
  void Forget() override {
    Stop();
    log_.push_back("forget");
    device = false;
  }
  bool HasDevice() const override { return device; }

  // `blocks` capture blocks (125 ms of 16 kHz stereo) of a 1 kHz tone.
  void Deliver(int blocks) {
    for (int b = 0; b < blocks; ++b) {
      int16_t pcm[4000];
      for (int i = 0; i < 2000; ++i, ++phase_)
        pcm[2 * i] = pcm[2 * i + 1] = static_cast<int16_t>(12000 * std::sin(2 * M_PI * 1000.0 * phase_ / 16000.0));
      receiver_->Receive(reinterpret_cast<const uint8_t*>(pcm), sizeof pcm);
      ++delivered;
    }
  }

  bool device = false;
  int delivered = 0;
  int pendingAtStop = 0;
  std::string prepareFailure, startFailure;

 private:
  std::vector<std::string>& log_;
  IReceiver* receiver_ = nullptr;
  size_t phase_ = 0;
};

class ShownMessages final : public IFailureBox {
 public:
  void Show(const std::string& message) override { shown.push_back(message); }
  std::vector<std::string> shown;
};

class RecorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("kestrune-rec-" + std::to_string(::getpid()) + "-" +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder);
    auto engine = std::make_unique<ScriptedCapture>(log);
    capture = engine.get();
    recorder = std::make_unique<Recorder>(std::move(engine), clock, &box);
  }
  void TearDown() override {
    recorder.reset();
    fs::remove_all(folder);
  }
  std::string File(const std::string& name) const { return (folder / name).string(); }
  // Seconds of audio in a file, from its frames.
  double Seconds(const std::string& path) const {
    const Mp3StreamInfo info = ScanMp3Frames(ReadWholeFile(path));
    EXPECT_TRUE(info.valid) << path << ": " << info.problem;
    return info.frames * 1152.0 / 44100.0;
  }

  std::vector<std::string> log;
  ManualClock clock;
  ShownMessages box;
  ScriptedCapture* capture = nullptr;
  std::unique_ptr<Recorder> recorder;
  fs::path folder;
};

TEST(RecordingPaths, ATakenNameGetsTheFirstFreeNumberBeforeItsExtension) {
  std::set<std::string> taken;
  auto exists = [&](const std::string& p) { return taken.count(p) != 0; };
  EXPECT_EQ(FreeRecordingPath("C:\\RadioREC\\FM8980_20261206_135700.mp3", exists), "C:\\RadioREC\\FM8980_20261206_135700.mp3");
  taken = {"C:\\RadioREC\\FM8980_20261206_135700.mp3", "C:\\RadioREC\\FM8980_20261206_135700_2.mp3"};
  EXPECT_EQ(FreeRecordingPath("C:\\RadioREC\\FM8980_20261206_135700.mp3", exists), "C:\\RadioREC\\FM8980_20261206_135700_3.mp3");
  // A dot in a folder name is not the extension.
  taken = {"C:\\Rec.d\\show"};
  EXPECT_EQ(FreeRecordingPath("C:\\Rec.d\\show", exists), "C:\\Rec.d\\show_2");
}

TEST_F(RecorderTest, ARecordingHoldsEveryBlockUpToTheStopAndTheEncoderTail) {
  ASSERT_TRUE(recorder->StartRecorder(File("a.mp3"), 128));
  EXPECT_TRUE(recorder->IsRecording());
  EXPECT_EQ(recorder->RecordingPath(), File("a.mp3"));
  capture->Deliver(40);  // 5 s
  capture->pendingAtStop = 2;
  recorder->StopRecorder();
  EXPECT_FALSE(recorder->IsRecording());
  EXPECT_EQ(log, (std::vector<std::string>{"prepare", "start", "stop", "forget"}));
  // The file is closed after the capture has stopped and settled.
  EXPECT_EQ(clock.Sleeps(), std::vector<unsigned>{Recorder::kStopSettleMs});
  const double captured = 42 * 0.125;
  EXPECT_GE(Seconds(File("a.mp3")), captured);
  EXPECT_LT(Seconds(File("a.mp3")), captured + 3 * 1152 / 44100.0);

  // Stopping again, or without a start, touches nothing and does not wait.
  log.clear();
  recorder->StopRecorder();
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(clock.Sleeps().size(), 1u);
}

TEST_F(RecorderTest, ASecondStartOnTheSameNameKeepsTheFirstFile) {
  ASSERT_TRUE(recorder->StartRecorder(File("FM8980.mp3"), 64));
  capture->Deliver(16);
  recorder->StopRecorder();
  const auto firstSize = fs::file_size(File("FM8980.mp3"));

  ASSERT_TRUE(recorder->StartRecorder(File("FM8980.mp3"), 64));
  EXPECT_EQ(recorder->RecordingPath(), File("FM8980_2.mp3"));
  capture->Deliver(8);
  // A start while recording closes the running file first.
  ASSERT_TRUE(recorder->StartRecorder(File("FM8980.mp3"), 64));
  EXPECT_EQ(recorder->RecordingPath(), File("FM8980_3.mp3"));
  recorder->StopRecorder();

  EXPECT_EQ(fs::file_size(File("FM8980.mp3")), firstSize);
  EXPECT_GE(Seconds(File("FM8980.mp3")), 2.0);
  EXPECT_GE(Seconds(File("FM8980_2.mp3")), 1.0);
  EXPECT_TRUE(fs::exists(File("FM8980_3.mp3")));
}

TEST_F(RecorderTest, AFailedStartIsShownOnceAndLeavesNothingRunning) {
  struct Case {
    const char* prepare;
    const char* start;
    std::string folderName;
    const char* expected;
  };
  const Case cases[] = {
      {"Device not found.", "", "", "Device not found."},
      {"Can't open Mixer Device.", "", "", "Can't open Mixer Device."},
      {"", "", "no-such-folder", "Can't create MP3 file."},
      {"", "Can't open WaveIN Device.", "", "Can't open WaveIN Device."},
      {"", "Error starting record.", "", "Error starting record."},
  };
  for (const Case& c : cases) {
    box.shown.clear();
    capture->prepareFailure = c.prepare;
    capture->startFailure = c.start;
    const std::string path = (c.folderName.empty() ? folder : folder / c.folderName).string() + "/x.mp3";
    EXPECT_FALSE(recorder->StartRecorder(path, 128)) << c.expected;
    EXPECT_EQ(box.shown, std::vector<std::string>{c.expected});
    EXPECT_FALSE(recorder->IsRecording());
    EXPECT_FALSE(capture->HasDevice()) << "the next start looks for the device again";
    // A file made for a capture that never ran is not left behind.
    EXPECT_FALSE(fs::exists(path)) << c.expected;
    const size_t sleeps = clock.Sleeps().size();
    recorder->StopRecorder();
    EXPECT_EQ(clock.Sleeps().size(), sleeps) << "stopping after a failed start is harmless";
  }
}

// The record folder's drive fills up in the middle of a recording: the file ends at the last
// whole frame, the writer takes no more blocks, and the stop reports it once.
TEST_F(RecorderTest, AFullDriveEndsTheFileAtItsLastWholeFrameAndIsReportedOnce) {
  static constexpr uint64_t kCapacity = 10001;  // about five 128 kbit/s blocks, ending inside a frame
  auto engine = std::make_unique<ScriptedCapture>(log);
  capture = engine.get();
  recorder = std::make_unique<Recorder>(std::move(engine), clock, &box, Mp3SinkFactory([](const std::string& path) -> std::unique_ptr<IOutputFile> {
    return std::make_unique<FillingDrive>(CreateOutputFile(path), kCapacity);
  }));
  ASSERT_TRUE(recorder->StartRecorder(File("full.mp3"), 128));
  capture->Deliver(4);
  EXPECT_FALSE(recorder->WriteFailed());
  capture->Deliver(4);
  // The writer works on its own thread.
  for (int waited = 0; waited < 5000 && !recorder->WriteFailed(); ++waited)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_TRUE(recorder->WriteFailed());
  EXPECT_TRUE(recorder->IsRecording()) << "the window's thread ends it";
  const auto sizeAtFailure = fs::file_size(File("full.mp3"));
  capture->Deliver(8);
  EXPECT_EQ(fs::file_size(File("full.mp3")), sizeAtFailure) << "nothing is written after the failure";

  recorder->ReportWriteFailure();
  EXPECT_TRUE(box.shown.empty()) << "reported only once the recording has stopped";
  recorder->StopRecorder();
  EXPECT_FALSE(recorder->WriteFailed());
  EXPECT_LE(fs::file_size(File("full.mp3")), kCapacity);
  // A chain of whole frames holding the audio written before the failure.
  EXPECT_GE(Seconds(File("full.mp3")), 3 * 0.125);
  recorder->ReportWriteFailure();
  recorder->ReportWriteFailure();
  EXPECT_EQ(box.shown, std::vector<std::string>{"Recording stopped: cannot write the MP3 file."});

  // The next recording starts afresh: nothing left to report.
  ASSERT_TRUE(recorder->StartRecorder(File("next.mp3"), 128));
  recorder->StopRecorder();
  recorder->ReportWriteFailure();
  EXPECT_EQ(box.shown.size(), 1u);
}

// The writer stalls (a disk that hangs for seconds): the capture side goes on without waiting,
// and every block reaches the writer in order, on the writer's thread, before the sink's end
// (the recorder's stop) lets the writer go.
TEST(QueuedSinkTest, AStalledWriterNeitherHoldsUpTheCaptureNorLosesABlock) {
  struct Gate {
    std::mutex lock;
    std::condition_variable opened;
    bool open = false;
    std::vector<uint8_t> seen;
    std::thread::id thread;
  } gate;
  struct GatedSink final : IRecordingSink {
    explicit GatedSink(Gate& g) : gate(g) {}
    int Receive(const uint8_t* block, uint32_t) override {
      std::unique_lock<std::mutex> guard(gate.lock);
      gate.opened.wait(guard, [this] { return gate.open; });
      gate.seen.push_back(block[0]);
      gate.thread = std::this_thread::get_id();
      return 0;
    }
    Gate& gate;
  };
  auto sink = std::make_unique<QueuedSink>(std::make_unique<GatedSink>(gate), 10 * 100);
  uint8_t block[100] = {};
  for (uint8_t i = 0; i < 10; ++i) {
    block[0] = i;
    EXPECT_EQ(sink->Receive(block, sizeof block), 0);
  }
  block[0] = 99;
  EXPECT_EQ(sink->Receive(block, sizeof block), -1) << "a full queue drops the block rather than wait";
  {
    std::lock_guard<std::mutex> guard(gate.lock);
    gate.open = true;
  }
  gate.opened.notify_all();
  sink.reset();
  EXPECT_EQ(gate.seen, (std::vector<uint8_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_NE(gate.thread, std::this_thread::get_id());
}

// The device object stops the recording wherever the live graph goes: closing the receiver,
// and the object's end.
TEST_F(RecorderTest, ClosingTheReceiverEndsTheRecording) {
  SimulatedReceiver receiver{clock};
  SimulatedHidPlatform platform{receiver};
  platform.PutReceiverAt(0);
  CMyKestrune device{platform, clock};
  auto engine = std::make_unique<ScriptedCapture>(log);
  ScriptedCapture* deviceCapture = engine.get();
  device.SetRecorder(std::make_unique<Recorder>(std::move(engine), clock, &box));
  ASSERT_EQ(device.OpenDevice(nullptr), 1);
  ASSERT_TRUE(device.StartRecorder(File("close.mp3"), 192));
  EXPECT_TRUE(device.IsRecorderRunning());
  deviceCapture->Deliver(8);
  device.CloseDevice();
  EXPECT_FALSE(device.IsRecorderRunning());
  EXPECT_GE(Seconds(File("close.mp3")), 1.0);

  // Without the receiver's HID side the recorder still runs (its audio is a device of its own).
  ASSERT_TRUE(device.StartRecorder(File("later.mp3"), 192));
  deviceCapture->Deliver(8);
  EXPECT_EQ(device.StopRecorder(), 1);
  EXPECT_GE(Seconds(File("later.mp3")), 1.0);
}

}  // namespace
