// The recording session's recorder over a scripted capture device and the real MP3 writer: what
// ends up on disk, what the user is told when a start fails, what is left running, and what a
// stopped recording's writer reports once it is through.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "app/LiveSound.h"
#include "audio/AudioError.h"
#include "audio/AudioPreparation.h"
#include "audio/Mp3Writer.h"
#include "audio/QueuedSink.h"
#include "audio/Recorder.h"
#include "device/MyKestrune.h"
#include "tests/support/AudioMp3Scan.h"
#include "tests/support/FillingDrive.h"
#include "tests/support/ManualClock.h"
#include "tests/support/ScriptedFile.h"
#include "tests/support/SimulatedReceiver.h"

namespace {

namespace fs = std::filesystem;
using SteadyTime = std::chrono::steady_clock;

double MsSince(SteadyTime::time_point start) {
  return std::chrono::duration<double, std::milli>(SteadyTime::now() - start).count();
}

// One 125 ms capture block of 16 kHz stereo: a 1 kHz tone from sample `phase` on.
std::vector<int16_t> ToneBlock(size_t& phase) {
  std::vector<int16_t> pcm(4000);
  for (int i = 0; i < 2000; ++i, ++phase)
    pcm[2 * i] = pcm[2 * i + 1] = static_cast<int16_t>(12000 * std::sin(2 * M_PI * 1000.0 * phase / 16000.0));
  return pcm;
}

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
      const std::vector<int16_t> pcm = ToneBlock(phase_);
      receiver_->Receive(reinterpret_cast<const uint8_t*>(pcm.data()), static_cast<uint32_t>(pcm.size() * 2));
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

class RecorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("kestrune-rec-" + std::to_string(::getpid()) + "-" +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder);
    MakeRecorder(Mp3SinkFactory());
  }
  void TearDown() override {
    recorder.reset();
    fs::remove_all(folder);
  }
  // A recorder over a new scripted capture whose outcomes land in `outcomes`.
  void MakeRecorder(SinkFactory sinks) {
    recorder.reset();
    auto engine = std::make_unique<ScriptedCapture>(log);
    capture = engine.get();
    recorder = std::make_unique<Recorder>(std::move(engine), clock, std::move(sinks));
    recorder->SetFinishedHandler([this](const RecordingOutcome& outcome) {
      std::lock_guard<std::mutex> guard(outcomesLock);
      outcomes.push_back(outcome);
    });
  }
  // The MP3 writer over files that the scripts of `scripted` names play.
  SinkFactory ScriptedSinks(std::map<std::string, std::shared_ptr<FileScript>> scripted) {
    return Mp3SinkFactory([scripted = std::move(scripted)](const std::string& path) -> std::unique_ptr<IOutputFile> {
      auto file = CreateOutputFile(path);
      const auto script = scripted.find(fs::path(path).filename().string());
      if (!file || script == scripted.end()) return file;
      return std::make_unique<ScriptedFile>(std::move(file), script->second);
    });
  }
  // Every stopped recording's outcome, by serial, once all writers are through.
  std::vector<RecordingOutcome> Finished() {
    EXPECT_EQ(recorder->WaitForWriters(20000), std::vector<std::string>{});
    std::lock_guard<std::mutex> guard(outcomesLock);
    std::vector<RecordingOutcome> sorted = outcomes;
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.serial < b.serial; });
    return sorted;
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
  ScriptedCapture* capture = nullptr;
  std::unique_ptr<Recorder> recorder;
  fs::path folder;
  std::mutex outcomesLock;
  std::vector<RecordingOutcome> outcomes;
};

void ExpectStatus(const RecorderStatus& status, bool writeFailed, uint64_t droppedBytes, uint64_t blocksReceived,
                  const std::string& what) {
  EXPECT_EQ(status.writeFailed, writeFailed) << what;
  EXPECT_EQ(status.droppedBytes, droppedBytes) << what;
  EXPECT_EQ(status.blocksReceived, blocksReceived) << what;
}

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
  EXPECT_EQ(recorder->Serial(), 1u);
  capture->Deliver(40);  // 5 s
  ExpectStatus(recorder->Status(), false, 0, 40, "while running");
  capture->pendingAtStop = 2;
  ExpectStatus(recorder->StopRecorder(), false, 0, 42, "at the stop, with the driver's last blocks");
  EXPECT_FALSE(recorder->IsRecording());
  EXPECT_EQ(log, (std::vector<std::string>{"prepare", "start", "stop", "forget"}));
  EXPECT_TRUE(clock.Sleeps().empty()) << "the stop waits for nothing";
  const std::vector<RecordingOutcome> finished = Finished();
  ASSERT_EQ(finished.size(), 1u);
  EXPECT_EQ(finished[0].serial, 1u);
  EXPECT_EQ(finished[0].path, File("a.mp3"));
  ExpectStatus(finished[0].status, false, 0, 42, "the outcome");
  EXPECT_FALSE(finished[0].cutFailed);
  const double captured = 42 * 0.125;
  EXPECT_GE(Seconds(File("a.mp3")), captured);
  EXPECT_LT(Seconds(File("a.mp3")), captured + 3 * 1152 / 44100.0);

  // Stopping again, or without a start, touches nothing and reports nothing.
  log.clear();
  ExpectStatus(recorder->StopRecorder(), false, 0, 0, "a second stop");
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(Finished().size(), 1u);
}

TEST_F(RecorderTest, ASecondStartOnTheSameNameKeepsTheFirstFile) {
  ASSERT_TRUE(recorder->StartRecorder(File("FM8980.mp3"), 64));
  capture->Deliver(16);
  recorder->StopRecorder();
  Finished();
  const auto firstSize = fs::file_size(File("FM8980.mp3"));

  ASSERT_TRUE(recorder->StartRecorder(File("FM8980.mp3"), 64));
  EXPECT_EQ(recorder->RecordingPath(), File("FM8980_2.mp3"));
  capture->Deliver(8);
  // A start while recording is refused: the running file goes on, untouched; only a stop (the
  // session's end) ends it.
  log.clear();
  EXPECT_FALSE(recorder->StartRecorder(File("other.mp3"), 128));
  EXPECT_TRUE(recorder->IsRecording());
  EXPECT_EQ(recorder->RecordingPath(), File("FM8980_2.mp3"));
  EXPECT_EQ(recorder->Serial(), 2u);
  EXPECT_EQ(recorder->LastFailure(), "");
  EXPECT_TRUE(log.empty()) << "the capture is not touched";
  EXPECT_FALSE(fs::exists(File("other.mp3")));
  capture->Deliver(8);
  ExpectStatus(recorder->Status(), false, 0, 16, "the running recording keeps every block");
  recorder->StopRecorder();
  ASSERT_TRUE(recorder->StartRecorder(File("FM8980.mp3"), 64));
  EXPECT_EQ(recorder->RecordingPath(), File("FM8980_3.mp3"));
  recorder->StopRecorder();

  const std::vector<RecordingOutcome> finished = Finished();
  ASSERT_EQ(finished.size(), 3u);
  EXPECT_EQ(finished[1].path, File("FM8980_2.mp3"));
  EXPECT_EQ(finished[2].path, File("FM8980_3.mp3"));
  EXPECT_EQ(fs::file_size(File("FM8980.mp3")), firstSize);
  EXPECT_GE(Seconds(File("FM8980.mp3")), 2.0);
  EXPECT_GE(Seconds(File("FM8980_2.mp3")), 1.0);
  EXPECT_TRUE(fs::exists(File("FM8980_3.mp3")));
}

TEST_F(RecorderTest, AFailedStartKeepsItsMessageShowsNothingAndLeavesNothingRunning) {
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
    capture->prepareFailure = c.prepare;
    capture->startFailure = c.start;
    const std::string path = (c.folderName.empty() ? folder : folder / c.folderName).string() + "/x.mp3";
    EXPECT_FALSE(recorder->StartRecorder(path, 128)) << c.expected;
    EXPECT_EQ(recorder->LastFailure(), c.expected);
    EXPECT_FALSE(recorder->IsRecording());
    EXPECT_FALSE(capture->HasDevice()) << "the next start looks for the device again";
    // A file made for a capture that never ran is not left behind.
    EXPECT_FALSE(fs::exists(path)) << c.expected;
    ExpectStatus(recorder->StopRecorder(), false, 0, 0, "stopping after a failed start is harmless");
  }
  EXPECT_TRUE(Finished().empty()) << "a recording that never ran has no outcome";
  capture->prepareFailure = capture->startFailure = "";
  ASSERT_TRUE(recorder->StartRecorder(File("ok.mp3"), 128));
  EXPECT_EQ(recorder->LastFailure(), "") << "a start that runs clears the last failure";
  recorder->StopRecorder();
}

// The record folder's drive fills up in the middle of a recording: the file ends at the last
// whole frame, the writer takes no more blocks, and the status says so from then on; the window
// (not the recorder) tells the user.
TEST_F(RecorderTest, AFullDriveEndsTheFileAtItsLastWholeFrame) {
  static constexpr uint64_t kCapacity = 10001;  // about five 128 kbit/s blocks, ending inside a frame
  MakeRecorder(Mp3SinkFactory([](const std::string& path) -> std::unique_ptr<IOutputFile> {
    return std::make_unique<FillingDrive>(CreateOutputFile(path), kCapacity);
  }));
  ASSERT_TRUE(recorder->StartRecorder(File("full.mp3"), 128));
  capture->Deliver(4);
  EXPECT_FALSE(recorder->Status().writeFailed);
  capture->Deliver(4);
  // The writer works on its own thread.
  for (int waited = 0; waited < 5000 && !recorder->Status().writeFailed; ++waited)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_TRUE(recorder->Status().writeFailed);
  EXPECT_TRUE(recorder->IsRecording()) << "the window's thread ends it";
  const auto sizeAtFailure = fs::file_size(File("full.mp3"));
  capture->Deliver(8);
  EXPECT_EQ(fs::file_size(File("full.mp3")), sizeAtFailure) << "nothing is written after the failure";

  ExpectStatus(recorder->StopRecorder(), true, 0, 16, "the stop");
  ExpectStatus(recorder->Status(), false, 0, 0, "nothing records");
  ASSERT_TRUE(recorder->StartRecorder(File("next.mp3"), 128));
  recorder->StopRecorder();

  const std::vector<RecordingOutcome> finished = Finished();
  ASSERT_EQ(finished.size(), 2u);
  EXPECT_TRUE(finished[0].status.writeFailed);
  EXPECT_FALSE(finished[0].cutFailed);
  EXPECT_FALSE(finished[1].status.writeFailed) << "the next recording starts afresh";
  EXPECT_LE(fs::file_size(File("full.mp3")), kCapacity);
  // A chain of whole frames holding the audio written before the failure.
  EXPECT_GE(Seconds(File("full.mp3")), 3 * 0.125);
  EXPECT_EQ(recorder->LastFailure(), "") << "a write failure is no failed start";
}

// A writer stuck for seconds in one write (a drive that hangs) holds up neither the stop nor the
// next recording, and still gets every block into its file once the drive answers.
TEST_F(RecorderTest, AStopReturnsAtOnceWhileTheWriterHangsAndTheFileStillGetsEveryBlock) {
  auto stuck = std::make_shared<FileScript>();
  stuck->stallFirstWriteMs = 5000;
  MakeRecorder(ScriptedSinks({{"stuck.mp3", stuck}}));
  ASSERT_TRUE(recorder->StartRecorder(File("stuck.mp3"), 128));
  capture->Deliver(40);
  ASSERT_TRUE(stuck->WaitForWaitingWrite(5000));
  capture->Deliver(8);
  capture->pendingAtStop = 2;
  const auto stopping = SteadyTime::now();
  ExpectStatus(recorder->StopRecorder(), false, 0, 50, "the stop");
  const double stopMs = MsSince(stopping);
  EXPECT_LT(stopMs, 1000.0);
  RecordProperty("stop_ms_with_a_stuck_writer", std::to_string(stopMs));

  // The same capture device records into another file meanwhile.
  capture->pendingAtStop = 0;
  ASSERT_TRUE(recorder->StartRecorder(File("next.mp3"), 128));
  EXPECT_EQ(recorder->Serial(), 2u);
  capture->Deliver(16);
  recorder->StopRecorder();

  const auto waiting = SteadyTime::now();
  const std::vector<std::string> busy = recorder->WaitForWriters(100);
  EXPECT_LT(MsSince(waiting), 1000.0);
  EXPECT_NE(std::find(busy.begin(), busy.end(), File("stuck.mp3")), busy.end());

  const std::vector<RecordingOutcome> finished = Finished();
  ASSERT_EQ(finished.size(), 2u);
  EXPECT_EQ(finished[0].path, File("stuck.mp3"));
  ExpectStatus(finished[0].status, false, 0, 50, "the stuck writer's outcome");
  EXPECT_EQ(finished[1].path, File("next.mp3"));
  ExpectStatus(finished[1].status, false, 0, 16, "the next recording's outcome");
  for (const auto& [name, blocks] : {std::pair{"stuck.mp3", 50}, std::pair{"next.mp3", 16}}) {
    EXPECT_GE(Seconds(File(name)), blocks * 0.125) << name;
    EXPECT_LT(Seconds(File(name)), blocks * 0.125 + 3 * 1152 / 44100.0) << name;
  }
}

// A write that fails while the stopped recording's queue drains, or in the encoder's final
// flush, comes after the stop has answered: the outcome carries it, and the file ends at the
// last whole frame before it.
TEST_F(RecorderTest, AWriteFailureAfterTheStopReachesTheOutcome) {
  auto script = std::make_shared<FileScript>();
  MakeRecorder(ScriptedSinks({{"late.mp3", script}}));
  // Holds the writer at its first write until the stop has answered, then lets write
  // `failWrite` fail (0: none).
  auto record = [&](int failWrite) {
    fs::remove(File("late.mp3"));
    {
      std::lock_guard<std::mutex> guard(script->lock);
      script->held = true;
      script->failWrite = failWrite;
      script->writes = 0;
      script->closed = false;
    }
    EXPECT_TRUE(recorder->StartRecorder(File("late.mp3"), 128));
    capture->Deliver(8);
    EXPECT_TRUE(script->WaitForWaitingWrite(5000));
    EXPECT_FALSE(recorder->StopRecorder().writeFailed) << "nothing failed by the stop";
    script->Release();
    const RecordingOutcome outcome = Finished().back();
    std::lock_guard<std::mutex> guard(script->lock);
    return std::pair{outcome, script->writes};
  };
  const auto [clean, writes] = record(0);
  EXPECT_FALSE(clean.status.writeFailed);
  ASSERT_GE(writes, 3) << "some blocks' frames and the flush";
  const double cleanSeconds = Seconds(File("late.mp3"));

  struct Case {
    const char* what;
    int failWrite;
  };
  // The clean recording's last write was the encoder's flush.
  for (const Case c : {Case{"while the queue drains", 2}, Case{"in the encoder's flush", writes}}) {
    const auto [outcome, tried] = record(c.failWrite);
    EXPECT_EQ(tried, c.failWrite) << c.what << ": no write after the failure";
    EXPECT_TRUE(outcome.status.writeFailed) << c.what;
    EXPECT_FALSE(outcome.cutFailed) << c.what;
    EXPECT_EQ(outcome.status.blocksReceived, 8u) << c.what;
    const double seconds = Seconds(File("late.mp3"));
    EXPECT_GT(seconds, 0.0) << c.what;
    EXPECT_LT(seconds, cleanSeconds) << c.what;
  }
}

// After a failed write nothing more goes into the file, not even the encoder's held-back
// frames at close (the drive may have room again by then): it ends at the cut. A cut the drive
// refuses is tried again at close; refused twice, it is reported.
TEST(Mp3WriterFailures, AFileEndsAtTheCutAndARefusedCutIsRetriedAtClose) {
  struct Case {
    const char* what;
    int failWrite;  // -1: the flush at close
    int cutFailures;
    bool cutFailed;
  };
  const Case cases[] = {
      {"cut at once", 3, 0, false},
      {"cut refused once, made at close", 3, 1, false},
      {"cut refused twice", 3, 2, true},
      {"the flush fails", -1, 0, false},
      {"the flush fails, its cut refused once", -1, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto bytes = std::make_shared<std::vector<uint8_t>>();
    auto script = std::make_shared<FileScript>();
    script->failWrite = c.failWrite;
    script->cutFailures = c.cutFailures;
    mp3Writer writer("memory.mp3", 128, kRecordingSampleRate, LameBinding::Process(),
                     [&](const std::string&) -> std::unique_ptr<IOutputFile> {
                       return std::make_unique<ScriptedFile>(std::make_unique<MemoryOutputFile>(bytes), script);
                     });
    size_t phase = 0, wholeBytes = 0, sizeAtFailure = 0;
    for (int block = 0; block < 16; ++block) {
      const std::vector<int16_t> pcm = ToneBlock(phase);
      const size_t before = bytes->size();
      const int status = writer.Receive(reinterpret_cast<const uint8_t*>(pcm.data()), static_cast<uint32_t>(pcm.size() * 2));
      if (status != 0 && sizeAtFailure == 0) {
        wholeBytes = before;
        sizeAtFailure = bytes->size();
      }
    }
    if (c.failWrite < 0) {
      EXPECT_FALSE(writer.WriteFailed());
      std::lock_guard<std::mutex> guard(script->lock);
      script->failWrite = script->writes + 1;
      wholeBytes = bytes->size();
    } else {
      ASSERT_TRUE(writer.WriteFailed());
      if (c.cutFailures)
        EXPECT_GT(sizeAtFailure, wholeBytes) << "the refused cut leaves the torn frame for now";
      else
        EXPECT_EQ(sizeAtFailure, wholeBytes);
      EXPECT_EQ(bytes->size(), sizeAtFailure) << "later blocks are refused";
    }
    writer.Close();
    EXPECT_TRUE(writer.WriteFailed());
    EXPECT_EQ(writer.CutFailed(), c.cutFailed);
    if (c.cutFailed) {
      EXPECT_GT(bytes->size(), wholeBytes) << "the torn frame stays";
      EXPECT_EQ(bytes->size(), sizeAtFailure) << "nothing is appended after the failure";
    } else {
      EXPECT_EQ(bytes->size(), wholeBytes);
      const Mp3StreamInfo info = ScanMp3Frames(*bytes);
      EXPECT_TRUE(info.valid) << info.problem;
      EXPECT_GE(info.frames, 1);
    }
  }
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
  // The block the writer is stuck in still takes its room, and drops are counted to the byte;
  // an empty block is no block.
  EXPECT_EQ(sink->Receive(block, 37), -1);
  EXPECT_EQ(sink->Receive(block, 0), 0);
  EXPECT_EQ(sink->DroppedBytes(), 137u);
  EXPECT_EQ(sink->BlocksReceived(), 12u);
  {
    std::lock_guard<std::mutex> guard(gate.lock);
    gate.open = true;
  }
  gate.opened.notify_all();
  sink->Finish();
  EXPECT_EQ(gate.seen, (std::vector<uint8_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_NE(gate.thread, std::this_thread::get_id());
  EXPECT_EQ(sink->DroppedBytes(), 137u);
  EXPECT_EQ(sink->BlocksReceived(), 12u);
}

// The exit waits once for the writers, up to a bound: the last recording's writer finishes
// within it and reports; one stuck past it is named and left to finish its file alone, with
// everything it uses still alive. The recorder's end then waits for nothing a second time, and
// the left writer's outcome never comes.
TEST_F(RecorderTest, TheExitWaitsOnceAndTheEndLeavesAWriterStuckPastIt) {
  auto stuck = std::make_shared<FileScript>();
  stuck->held = true;
  MakeRecorder(ScriptedSinks({{"stuck.mp3", stuck}}));
  ASSERT_TRUE(recorder->StartRecorder(File("stuck.mp3"), 128));
  capture->Deliver(16);
  ASSERT_TRUE(stuck->WaitForWaitingWrite(5000));
  recorder->StopRecorder();
  ASSERT_TRUE(recorder->StartRecorder(File("last.mp3"), 128));
  capture->Deliver(16);
  recorder->StopRecorder();

  const auto waiting = SteadyTime::now();
  EXPECT_EQ(recorder->WaitForWriters(2000), std::vector<std::string>{File("stuck.mp3")});
  const double waitMs = MsSince(waiting);
  EXPECT_GE(waitMs, 1950.0);
  EXPECT_LT(waitMs, 4000.0);
  const auto destroying = SteadyTime::now();
  recorder.reset();
  EXPECT_LT(MsSince(destroying), 500.0) << "the exit's wait is not spent a second time";
  {
    std::lock_guard<std::mutex> guard(outcomesLock);
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].path, File("last.mp3"));
    ExpectStatus(outcomes[0].status, false, 0, 16, "the last recording's outcome");
  }
  EXPECT_GE(Seconds(File("last.mp3")), 2.0);

  stuck->Release();
  ASSERT_TRUE(stuck->WaitForClose(20000));
  EXPECT_GE(Seconds(File("stuck.mp3")), 2.0) << "the file is finished all the same";
  // Give the left writer's thread its time to report, were it going to.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  std::lock_guard<std::mutex> guard(outcomesLock);
  EXPECT_EQ(outcomes.size(), 1u);
}

// The recording stops wherever the receiver's audio goes: closing the receiver, and the
// object's end.
TEST_F(RecorderTest, ClosingTheReceiverEndsTheRecording) {
  SimulatedReceiver receiver{clock};
  SimulatedHidPlatform platform{receiver};
  platform.PutReceiverAt(0);
  auto engine = std::make_unique<ScriptedCapture>(log);
  ScriptedCapture* deviceCapture = engine.get();
  Recorder recorder(std::move(engine), clock);
  // The recording session's end, reduced to the recorder's stop.
  LiveSound sound{nullptr, nullptr, [&] { recorder.StopRecorder(); }};
  CMyKestrune device{platform, clock, &sound};
  ASSERT_EQ(device.OpenDevice(nullptr), 1);
  ASSERT_TRUE(recorder.StartRecorder(File("close.mp3"), 192));
  EXPECT_TRUE(recorder.IsRecording());
  deviceCapture->Deliver(8);
  device.CloseDevice();
  EXPECT_FALSE(recorder.IsRecording());
  EXPECT_EQ(recorder.WaitForWriters(20000), std::vector<std::string>{});
  EXPECT_GE(Seconds(File("close.mp3")), 1.0);

  // Without the receiver's HID side the recorder still runs (its audio is a device of its own).
  ASSERT_TRUE(recorder.StartRecorder(File("later.mp3"), 192));
  deviceCapture->Deliver(8);
  recorder.StopRecorder();
  EXPECT_FALSE(recorder.IsRecording());
  EXPECT_EQ(recorder.WaitForWriters(20000), std::vector<std::string>{});
  EXPECT_GE(Seconds(File("later.mp3")), 1.0);
}

}  // namespace
