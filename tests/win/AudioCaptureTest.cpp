// Wave capture, the recorder's writer and the encoder binding against Wine's waveIn over the
// rig's PulseAudio daemon, whose "FM Radio" source plays a 1 kHz tone.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <mutex>
#include <set>
#include <vector>

#include "app/LiveSound.h"
#include "audio/AudioError.h"
#include "audio/AudioPreparation.h"
#include "audio/CaptureRules.h"
#include "audio/Mp3Writer.h"
#include "audio/Recorder.h"
#include "audio/win32/AudioPreparationWin32.h"
#include "audio/win32/WaveCapture.h"
#include "audio/win32/WaveInCaptureEngine.h"
#include "base/Clock.h"
#include "device/MyKestrune.h"
#include "tests/support/AudioMp3Scan.h"
#include "tests/support/FillingDrive.h"
#include "tests/support/SimulatedReceiver.h"
#include "tests/win/AudioWineDecode.h"

namespace {

std::string Failure(const std::function<void()>& action) {
  try {
    action();
  } catch (const AudioError& e) {
    return e.what();
  }
  return "";
}

// Counts and checks what the engine delivers, and passes it on.
class CountingReceiver final : public IReceiver {
 public:
  explicit CountingReceiver(IReceiver* next = nullptr) : next_(next) {}
  int Receive(const uint8_t* block, uint32_t bytes) override {
    if (GetCurrentThreadId() == mainThread_) wrongThread_ = true;
    if (bytes == 0 || bytes > kCaptureBufferBytes) badSize_ = true;
    int64_t sum = 0;
    for (uint32_t i = 0; i + 1 < bytes; i += 2) sum += std::abs(*reinterpret_cast<const int16_t*>(block + i));
    if (sum > 0) audible_ = true;
    calls_.fetch_add(1);
    bytes_.fetch_add(bytes);
    const uint8_t* seen = lowestBlock_.load();
    while ((seen == nullptr || block < seen) && !lowestBlock_.compare_exchange_weak(seen, block)) {
    }
    return next_ ? next_->Receive(block, bytes) : 0;
  }
  int Calls() const { return calls_.load(); }
  uint64_t Bytes() const { return bytes_.load(); }
  const uint8_t* LowestBlock() const { return lowestBlock_.load(); }
  bool wrongThread_ = false, badSize_ = false, audible_ = false;

 private:
  IReceiver* next_;
  DWORD mainThread_ = GetCurrentThreadId();
  std::atomic<int> calls_{0};
  std::atomic<uint64_t> bytes_{0};
  std::atomic<const uint8_t*> lowestBlock_{nullptr};
};

class AudioWaveIn : public ::testing::Test {
 protected:
  void TearDown() override { ClearWaveInDevices(); }
};

TEST_F(AudioWaveIn, ReceiverIsListedAndFoundByNameInAnyCase) {
  const std::vector<std::string> names = ListedWaveInDevices();
  ASSERT_NE(std::find(names.begin(), names.end(), "FM Radio"), names.end());
  const auto device = FindWaveInDevice("FM Radio");
  EXPECT_EQ(device->ProductName(), "FM Radio") << "the receiver comes before its look-alike";
  EXPECT_EQ(FindWaveInDevice("fm RADIO"), device);
  EXPECT_EQ(Failure([] { FindWaveInDevice("Shortwave Converter"); }), "Device not found.");
  // Each lookup after a clear enumerates afresh and makes new device objects.
  ClearWaveInDevices();
  EXPECT_EQ(FindWaveInDevice("FM Radio")->ProductName(), "FM Radio");
}

// The rig lists the speakers' outputs before the receiver, so a wave-in index taken for a mixer
// index opens another device's mixer; the line found must lead to the receiver's own wave-in.
TEST_F(AudioWaveIn, RecordingInputIsPreparedOnTheReceiversOwnMixer) {
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    const auto device = FindWaveInDevice("FM Radio");
    ASSERT_EQ(Failure([&] { device->Mixer().Open(); }), "");
    ASSERT_GE(device->Mixer().LineCount(), 1u);
    // Wine leaves the line's target empty; the mixer's own name tells whose it is.
    UINT mixerId = ~0u;
    ASSERT_EQ(mixerGetID(reinterpret_cast<HMIXEROBJ>(device->Mixer().SourceLine(1).Mixer()), &mixerId,
                         MIXER_OBJECTF_HMIXER), static_cast<MMRESULT>(MMSYSERR_NOERROR));
    MIXERCAPSA caps{};
    ASSERT_EQ(mixerGetDevCapsA(mixerId, &caps, sizeof caps), static_cast<MMRESULT>(MMSYSERR_NOERROR));
    EXPECT_STREQ(caps.szPname, "FM Radio");
    // Wine's wave-in mixer has no list control: there is nothing to switch.
    EXPECT_NO_THROW(device->Mixer().SourceLine(1).SelectForRecording());
    EXPECT_EQ(Failure([&] { device->Mixer().SourceLine(0); }), "Mixer's line not found.");
    EXPECT_EQ(Failure([&] { device->Mixer().SourceLine(200); }), "Mixer's line not found.");
    device->Mixer().Close();
    EXPECT_EQ(WaveInAudioPreparation().PrepareRecordingInput(), "");
  }
}

// A preparation that fails must not leave its device list behind: a later lookup in the same run
// would search that stale list. A capture running on a listed device shows whether the list was
// destroyed (destroying a device stops its capture).
TEST_F(AudioWaveIn, FailedPreparationForgetsTheDeviceList) {
  CountingReceiver receiver;
  ASSERT_EQ(Failure([&] { FindWaveInDevice("FM Radio")->Start(&receiver); }), "");
  EXPECT_EQ(WaveInAudioPreparation("Shortwave Converter").PrepareRecordingInput(), "Device not found.");
  const int afterFailure = receiver.Calls();
  Sleep(500);
  EXPECT_EQ(receiver.Calls(), afterFailure) << "the listed devices were kept after the failure";
  ClearWaveInDevices();  // before the receiver goes
}

TEST_F(AudioWaveIn, StopOnIdleStartTwiceAndNothingAfterStop) {
  const auto device = FindWaveInDevice("FM Radio");
  device->Stop();  // idle: nothing happens
  EXPECT_FALSE(device->IsCapturing());

  CountingReceiver first, second;
  ASSERT_EQ(Failure([&] { device->Start(&first); }), "");
  ASSERT_EQ(Failure([&] { device->Start(&second); }), "");  // already capturing: unchanged
  Sleep(700);
  device->Stop();
  EXPECT_FALSE(device->IsCapturing());
  EXPECT_GE(first.Calls(), 3);
  EXPECT_EQ(second.Calls(), 0);
  EXPECT_FALSE(first.wrongThread_);
  EXPECT_FALSE(first.badSize_);
  EXPECT_TRUE(first.audible_);
  const int afterStop = first.Calls();
  Sleep(300);
  EXPECT_EQ(first.Calls(), afterStop);

  // The same device object captures again after a stop.
  ASSERT_EQ(Failure([&] { device->Start(&second); }), "");
  Sleep(400);
  device->Stop();
  EXPECT_GE(second.Calls(), 2);
}

// A device id no driver knows stands for a receiver that vanished after the lookup.
TEST_F(AudioWaveIn, FailedStartAndMixerCarryTheirMessagesAndLeaveNothingRunning) {
  WAVEINCAPSA caps{};
  std::memset(caps.szPname, 'R', sizeof caps.szPname);  // a full name with no null after it
  caps.dwFormats = 0xFFF;  // every format, so the bytes after the name are not a null either
  WaveCaptureDevice gone(0xFFF0, caps);
  EXPECT_EQ(gone.ProductName(), std::string(sizeof caps.szPname, 'R'));
  CountingReceiver receiver;
  for (int attempt = 0; attempt < 2; ++attempt) {
    EXPECT_EQ(Failure([&] { gone.Start(&receiver); }), "Can't open WaveIN Device.");
    EXPECT_FALSE(gone.IsCapturing());
  }
  gone.Stop();
  EXPECT_EQ(Failure([&] { gone.Mixer().Open(); }), "Can't open Mixer Device.");
  EXPECT_EQ(Failure([&] { gone.Mixer().SourceLine(1); }), "Mixer's line not found.");
  EXPECT_EQ(receiver.Calls(), 0);

  // The real device still starts after another device's failure.
  CountingReceiver real;
  const auto device = FindWaveInDevice("FM Radio");
  ASSERT_EQ(Failure([&] { device->Start(&real); }), "");
  Sleep(300);
  device->Stop();
  EXPECT_GE(real.Calls(), 1);
}

// A driver that will not close its handle while this is set, as a vanished device's may.
std::atomic<bool> g_refuseClose{false};
std::mutex g_refusedLock;
std::set<HWAVEIN> g_refused;
MMRESULT WINAPI RefusingClose(HWAVEIN wave) {
  std::lock_guard<std::mutex> guard(g_refusedLock);
  if (!g_refuseClose.load()) {
    g_refused.erase(wave);
    return waveInClose(wave);
  }
  g_refused.insert(wave);
  return WAVERR_STILLPLAYING;
}

DWORD MemoryState(const void* address) {
  MEMORY_BASIC_INFORMATION info{};
  return VirtualQuery(address, &info, sizeof info) ? info.State : 0;
}

// Buffers the driver was handed stay allocated while it refuses to close, even after the device
// object is gone; a driver that accepts the close later gets them freed as usual.
TEST_F(AudioWaveIn, BuffersStayWithADriverThatRefusesToClose) {
  const UINT id = FindWaveInDevice("FM Radio")->Id();
  ClearWaveInDevices();
  WAVEINCAPSA caps{};
  ASSERT_EQ(waveInGetDevCapsA(id, &caps, sizeof caps), static_cast<MMRESULT>(MMSYSERR_NOERROR));

  auto captureThenRefuse = [&](WaveCaptureDevice& device, CountingReceiver& receiver) {
    g_refuseClose = false;
    ASSERT_EQ(Failure([&] { device.Start(&receiver); }), "");
    Sleep(400);
    g_refuseClose = true;
    device.Stop();  // gives up after its time-out
    EXPECT_FALSE(device.IsCapturing());
    ASSERT_NE(receiver.LowestBlock(), nullptr);
    EXPECT_TRUE(device.HeldByDriver());
  };

  CountingReceiver kept, renewed;
  const uint8_t* keptBlock = nullptr;
  {
    WaveCaptureDevice device(id, caps, {.close = &RefusingClose});
    captureThenRefuse(device, kept);
    keptBlock = kept.LowestBlock();
    // A new capture on the same device leaves the held buffers to the driver and takes new ones.
    ASSERT_EQ(Failure([&] { device.Start(&renewed); }), "");
    Sleep(400);
    device.Stop();
    EXPECT_GE(renewed.Calls(), 1);
    EXPECT_NE(renewed.LowestBlock(), keptBlock);
  }
  EXPECT_EQ(MemoryState(keptBlock), static_cast<DWORD>(MEM_COMMIT)) << "freed under the driver";
  EXPECT_EQ(MemoryState(renewed.LowestBlock()), static_cast<DWORD>(MEM_COMMIT)) << "freed under the driver";

  CountingReceiver released;
  {
    WaveCaptureDevice device(id, caps, {.close = &RefusingClose});
    captureThenRefuse(device, released);
    g_refuseClose = false;
    EXPECT_FALSE(device.HeldByDriver());
  }
  EXPECT_EQ(MemoryState(released.LowestBlock()), static_cast<DWORD>(MEM_FREE));
  // The handles this test's driver kept are Wine's to close.
  for (HWAVEIN wave : g_refused) waveInClose(wave);
  g_refused.clear();
}

// A driver that takes the first buffer and refuses the next, or refuses the start.
std::atomic<int> g_buffersAdded{0};
MMRESULT WINAPI RefusingSecondBuffer(HWAVEIN wave, LPWAVEHDR header, UINT size) {
  return g_buffersAdded.fetch_add(1) == 1 ? MMSYSERR_NOMEM : waveInAddBuffer(wave, header, size);
}
MMRESULT WINAPI RefusingStart(HWAVEIN) { return MMSYSERR_ERROR; }

// Such a start fails with its message at once: the stop it makes waits only for the buffers the
// driver took, which the reset returns, not the full time-out for buffers it never had.
TEST_F(AudioWaveIn, AStartWhoseQueueingOrStartFailsAnswersAtOnce) {
  const UINT id = FindWaveInDevice("FM Radio")->Id();
  ClearWaveInDevices();
  WAVEINCAPSA caps{};
  ASSERT_EQ(waveInGetDevCapsA(id, &caps, sizeof caps), static_cast<MMRESULT>(MMSYSERR_NOERROR));
  struct Case {
    WaveInCalls calls;
    const char* expected;
  };
  const Case cases[] = {{{.addBuffer = &RefusingSecondBuffer}, "Error queueing WAVEHDR 2."},
                        {{.start = &RefusingStart}, "Error starting record."}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    // The first buffer's message can be handled before or after the start gives up: every order.
    for (int attempt = 0; attempt < 4; ++attempt) {
      g_buffersAdded = 0;
      WaveCaptureDevice device(id, caps, c.calls);
      CountingReceiver receiver;
      const auto begin = std::chrono::steady_clock::now();
      EXPECT_EQ(Failure([&] { device.Start(&receiver); }), c.expected);
      EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(1000));
      EXPECT_FALSE(device.IsCapturing());
      EXPECT_FALSE(device.HeldByDriver());
    }
  }
}

// Collects a recorder's outcomes, which arrive on its writers' threads.
class KeptOutcomes {
 public:
  std::function<void(const RecordingOutcome&)> Handler() {
    return [this](const RecordingOutcome& outcome) {
      std::lock_guard<std::mutex> guard(lock_);
      outcomes_.push_back(outcome);
    };
  }
  std::vector<RecordingOutcome> Taken() {
    std::lock_guard<std::mutex> guard(lock_);
    return outcomes_;
  }

 private:
  std::mutex lock_;
  std::vector<RecordingOutcome> outcomes_;
};

// The record folder's drive fills up two seconds into a recording from the receiver: the writer
// stops taking blocks at once, the status says so, and after the stop the file is a chain of
// whole frames holding the audio up to the failure, which mpg123 decodes; the outcome carries
// the failure, which the window (not the recorder) shows.
TEST_F(AudioWaveIn, AFullDriveLeavesAFileDecodableUpToTheFailure) {
  std::filesystem::create_directories(wine_decode::WindowsPath(wine_decode::UnixOutputFolder()));
  const std::string unixPath = wine_decode::UnixOutputFolder() + "/full-drive.mp3";
  static constexpr uint64_t kCapacity = 2 * 16000 + 123;  // two seconds at 128 kbit/s, inside a frame
  KeptOutcomes outcomes;
  Recorder recorder(
      std::make_unique<WaveInCaptureEngine>(), SteadyClock::Instance(),
      Mp3SinkFactory([](const std::string& path) -> std::unique_ptr<IOutputFile> {
        return std::make_unique<FillingDrive>(CreateOutputFile(path), kCapacity);
      }),
      [](const std::string&) { return false; });
  recorder.SetFinishedHandler(outcomes.Handler());
  ASSERT_TRUE(recorder.StartRecorder(wine_decode::WindowsPath(unixPath), 128));
  for (int waited = 0; waited < 8000 && !recorder.Status().writeFailed; waited += 50) Sleep(50);
  ASSERT_TRUE(recorder.Status().writeFailed);
  EXPECT_TRUE(recorder.IsRecording()) << "only the window's thread ends it";
  const RecorderStatus stopped = recorder.StopRecorder();
  EXPECT_TRUE(stopped.writeFailed);
  EXPECT_EQ(stopped.droppedBytes, 0u);
  EXPECT_GE(stopped.blocksReceived, 16u) << "two seconds and more of blocks";
  ASSERT_EQ(recorder.WaitForWriters(10000), std::vector<std::string>{});
  const std::vector<RecordingOutcome> finished = outcomes.Taken();
  ASSERT_EQ(finished.size(), 1u);
  EXPECT_EQ(finished[0].path, wine_decode::WindowsPath(unixPath));
  EXPECT_TRUE(finished[0].status.writeFailed);
  EXPECT_FALSE(finished[0].cutFailed);
  EXPECT_EQ(recorder.LastFailure(), "");

  const std::vector<uint8_t> bytes = ReadWholeFile(wine_decode::WindowsPath(unixPath));
  EXPECT_LE(bytes.size(), kCapacity);
  const Mp3StreamInfo info = ScanMp3Frames(bytes);
  ASSERT_TRUE(info.valid) << info.problem;
  EXPECT_GT(info.frames * 1152.0 / 44100, 1.8);
  const std::vector<int16_t> pcm = wine_decode::DecodeMp3(unixPath);
  ASSERT_EQ(pcm.size(), static_cast<size_t>(info.frames) * 1152 * 2) << "mpg123 decodes every frame";
  const std::vector<int16_t> middle(pcm.begin() + pcm.size() / 4, pcm.begin() + 3 * pcm.size() / 4);
  EXPECT_GT(ToneShare(middle, 44100, 1000.0), 0.8);
}

// A driver that stops taking its buffers back once told to, as a USB audio device that stalls
// without going away: each buffer it returns is its last.
std::atomic<bool> g_refuseRequeue{false};
MMRESULT WINAPI RefusingRequeue(HWAVEIN wave, LPWAVEHDR header, UINT size) {
  return g_refuseRequeue.load() ? MMSYSERR_NOMEM : waveInAddBuffer(wave, header, size);
}

// Such a capture goes quiet without an error: the recorder's count of delivered blocks stops
// growing, which is what the window watches to end the recording, while the recording runs on
// until it is stopped; the stop does not wait for buffers that will never come, and the file
// holds every block that was delivered.
TEST_F(AudioWaveIn, ARecordingWhoseBuffersStopComingBackStopsCountingBlocks) {
  std::filesystem::create_directories(wine_decode::WindowsPath(wine_decode::UnixOutputFolder()));
  const std::string path = wine_decode::WindowsPath(wine_decode::UnixOutputFolder() + "/stalled.mp3");
  g_refuseRequeue = false;
  KeptOutcomes outcomes;
  Recorder recorder(std::make_unique<WaveInCaptureEngine>(WaveInCalls{.addBuffer = &RefusingRequeue}),
                    SteadyClock::Instance(), Mp3SinkFactory(), [](const std::string&) { return false; });
  recorder.SetFinishedHandler(outcomes.Handler());
  ASSERT_TRUE(recorder.StartRecorder(path, 128));
  Sleep(1000);
  const uint64_t flowing = recorder.Status().blocksReceived;
  EXPECT_GE(flowing, 4u);
  g_refuseRequeue = true;
  // The buffers queued before the refusal still come back, within a second of audio.
  Sleep(2000);
  const uint64_t stalled = recorder.Status().blocksReceived;
  EXPECT_LE(stalled, flowing + kCaptureBufferCount);
  Sleep(2000);
  EXPECT_EQ(recorder.Status().blocksReceived, stalled) << "blocks kept coming";
  EXPECT_TRUE(recorder.IsRecording());

  const auto stopping = std::chrono::steady_clock::now();
  const RecorderStatus stopped = recorder.StopRecorder();
  EXPECT_LT(std::chrono::steady_clock::now() - stopping, std::chrono::milliseconds(1000));
  g_refuseRequeue = false;
  EXPECT_EQ(stopped.blocksReceived, stalled);
  EXPECT_EQ(stopped.droppedBytes, 0u);
  EXPECT_FALSE(stopped.writeFailed);
  ASSERT_EQ(recorder.WaitForWriters(10000), std::vector<std::string>{});
  const std::vector<RecordingOutcome> finished = outcomes.Taken();
  ASSERT_EQ(finished.size(), 1u);
  EXPECT_EQ(finished[0].status.blocksReceived, stalled);
  EXPECT_FALSE(finished[0].status.writeFailed);

  const Mp3StreamInfo info = ScanMp3Frames(ReadWholeFile(path));
  ASSERT_TRUE(info.valid) << info.problem;
  const double seconds = info.frames * 1152.0 / 44100;
  EXPECT_GE(seconds, stalled * 0.125) << info.frames << " frames for " << stalled << " blocks";
  EXPECT_LT(seconds, stalled * 0.125 + 3 * 1152 / 44100.0) << info.frames << " frames for " << stalled << " blocks";
  EXPECT_EQ(recorder.LastFailure(), "");
}

// Three seconds of the receiver through the recorder's writer at every offered bit rate, read
// back by mpg123: the format the recorder promises, the tone, and every captured sample.
TEST_F(AudioWaveIn, ThreeSecondRecordingsDecodeAtEveryBitrate) {
  std::filesystem::create_directories(wine_decode::WindowsPath(wine_decode::UnixOutputFolder()));
  for (uint16_t kbps : {320, 192, 128, 64}) {
    SCOPED_TRACE(kbps);
    const std::string unixPath = wine_decode::UnixOutputFolder() + "/capture-" + std::to_string(kbps) + ".mp3";
    uint64_t captured = 0;
    double running = 0, outside = 0;  // seconds between Start's return and Stop; around both
    {
      using Clock = std::chrono::steady_clock;
      mp3Writer writer(wine_decode::WindowsPath(unixPath), kbps, kRecordingSampleRate);
      CountingReceiver counter(&writer);
      const auto device = FindWaveInDevice("FM Radio");
      const Clock::time_point starting = Clock::now();
      ASSERT_EQ(Failure([&] { device->Start(&counter); }), "");
      const Clock::time_point started = Clock::now();
      Sleep(3000);
      const Clock::time_point stopping = Clock::now();
      device->Stop();
      running = std::chrono::duration<double>(stopping - started).count();
      outside = std::chrono::duration<double>(Clock::now() - starting).count();
      captured = counter.Bytes();
      EXPECT_TRUE(counter.audible_);
      ClearWaveInDevices();
    }
    // Every block recorded while the capture ran reaches the receiver: only what the driver still
    // held at the start and at the stop may be missing, less than the two buffers. A whole lost
    // (or repeated) block would not show in the tone below, whose phase it leaves intact.
    EXPECT_GT(static_cast<double>(captured), running * kCaptureBytesPerSecond - 2.0 * kCaptureBufferBytes)
        << "seconds captured " << static_cast<double>(captured) / kCaptureBytesPerSecond << " of " << running;
    EXPECT_LT(static_cast<double>(captured), outside * kCaptureBytesPerSecond + kCaptureBufferBytes)
        << "seconds captured " << static_cast<double>(captured) / kCaptureBytesPerSecond << " of " << outside;

    const Mp3StreamInfo info = ScanMp3Frames(ReadWholeFile(wine_decode::WindowsPath(unixPath)));
    ASSERT_TRUE(info.valid) << info.problem;
    EXPECT_EQ(info.mpegVersion, 1);
    EXPECT_EQ(info.layer, 3);
    EXPECT_EQ(info.sampleRate, 44100);
    EXPECT_EQ(info.channelMode, 1) << "joint stereo";
    EXPECT_EQ(info.bitrateKbps, kbps);
    EXPECT_TRUE(info.privateBit && info.copyright && info.original);
    EXPECT_FALSE(info.crc || info.hasXingOrInfo);

    const std::vector<int16_t> pcm = wine_decode::DecodeMp3(unixPath);
    ASSERT_EQ(pcm.size(), static_cast<size_t>(info.frames) * 1152 * 2) << "mpg123 decodes every frame";
    // Captured samples at 44.1 kHz, behind LAME's 576-sample delay, within the last frame.
    const double samples = static_cast<double>(captured / kCaptureBlockAlign) * 44100.0 / kCaptureRate;
    EXPECT_GE(info.frames * 1152.0, samples + 576);
    EXPECT_LT(info.frames * 1152.0, samples + 576 + 2 * 1152);
    const std::vector<int16_t> middle(pcm.begin() + pcm.size() / 4, pcm.begin() + 3 * pcm.size() / 4);
    EXPECT_GT(ToneShare(middle, 44100, 1000.0), 0.8);
    EXPECT_LT(ToneShare(middle, 44100, 1700.0), 0.02);
  }
}

// The recorder's MP3 writer, counting the blocks it is given.
class CountedMp3Sink final : public IRecordingSink {
 public:
  CountedMp3Sink(const std::string& path, uint16_t kbps, std::atomic<int>& blocks)
      : writer_(path, kbps, kRecordingSampleRate), blocks_(blocks) {}
  int Receive(const uint8_t* block, uint32_t bytes) override {
    blocks_.fetch_add(1);
    return writer_.Receive(block, bytes);
  }

 private:
  mp3Writer writer_;
  std::atomic<int>& blocks_;
};

// A scheduled recording runs while another program holds the receiver's HID side. When that
// program lets go and the receiver opens, its audio preparation looks up the very wave-in device
// the recording captures from and forgets the device list: the capture must go on to the
// recording's own stop, and the file must hold the whole time.
TEST_F(AudioWaveIn, RecordingGoesOnThroughTheReceiversOpenTimeAudioPreparation) {
  using Clock = std::chrono::steady_clock;
  SimulatedReceiver receiver(SteadyClock::Instance());
  SimulatedHidPlatform platform(receiver);
  platform.slots.assign(1, SimulatedHidPlatform::Slot{SimulatedHidPlatform::Slot::Busy});
  WaveInAudioPreparation preparation;
  std::atomic<int> blocks{0};
  Recorder recorder(std::make_unique<WaveInCaptureEngine>(), SteadyClock::Instance(),
                    [&](const std::string& path, uint16_t kbps) -> std::unique_ptr<IRecordingSink> {
                      return std::make_unique<CountedMp3Sink>(path, kbps, blocks);
                    });
  LiveSound sound(nullptr, &preparation, [&] { recorder.StopRecorder(); });
  CMyKestrune device(platform, SteadyClock::Instance(), &sound);

  std::filesystem::create_directories(wine_decode::WindowsPath(wine_decode::UnixOutputFolder()));
  const std::string unixPath = wine_decode::UnixOutputFolder() + "/through-arrival.mp3";
  DeleteFileA(wine_decode::WindowsPath(unixPath).c_str());
  ASSERT_EQ(device.OpenDevice(nullptr), 0) << "the receiver is held by another program";
  ASSERT_TRUE(recorder.StartRecorder(wine_decode::WindowsPath(unixPath), 128));
  const Clock::time_point started = Clock::now();
  Sleep(1000);

  platform.PutReceiverAt(0);
  ASSERT_EQ(device.OpenDevice(nullptr), 1);
  EXPECT_EQ(sound.TakeOpenFailure(), "");
  const int atOpen = blocks.load();
  Sleep(2000);
  EXPECT_TRUE(recorder.IsRecording());
  // Eight blocks a second; a capture stopped by the preparation would deliver none.
  EXPECT_GE(blocks.load() - atOpen, 12) << "blocks stopped arriving when the receiver opened";
  const double recorded = std::chrono::duration<double>(Clock::now() - started).count();
  recorder.StopRecorder();
  ASSERT_EQ(recorder.WaitForWriters(10000), std::vector<std::string>{});

  const Mp3StreamInfo info = ScanMp3Frames(ReadWholeFile(wine_decode::WindowsPath(unixPath)));
  ASSERT_TRUE(info.valid) << info.problem;
  // The file covers the recording up to its stop, less what the driver still held then.
  EXPECT_GT(info.frames * 1152.0 / 44100, recorded - 0.4) << "frames " << info.frames << " for " << recorded << " s";
  const std::vector<int16_t> pcm = wine_decode::DecodeMp3(unixPath);
  ASSERT_GT(pcm.size(), 44100u * 2);
  // Its last second, recorded well after the receiver opened, is the source's tone.
  const std::vector<int16_t> last(pcm.end() - 44100 * 2, pcm.end() - 4410 * 2);
  EXPECT_GT(ToneShare(last, 44100, 1000.0), 0.8);
  device.CloseDevice();
}

TEST(AudioLameDll, BindingLoadsTheRealDllAndRefusesIncompleteOrMissingOnes) {
  EXPECT_NO_THROW(LoadLameEncoder());
  EXPECT_TRUE(LameBinding::Process().IsLoaded());

  const std::string incomplete = wine_decode::WindowsPath(std::string(KESTRUNE_BINARY_DIR) +
                                                          "/lame-incomplete/lame_enc.dll");
  ASSERT_TRUE(std::filesystem::exists(incomplete));
  LameBinding withoutVbrHeader(OpenPlatformLibrary, incomplete);
  EXPECT_EQ(Failure([&] { withoutVbrHeader.Load(); }), "Unable to get LAME interfaces");
  EXPECT_EQ(GetModuleHandleA(incomplete.c_str()), nullptr) << "a refused library is unloaded";

  LameBinding missing(OpenPlatformLibrary, wine_decode::WindowsPath(KESTRUNE_BINARY_DIR) + "\\none\\lame_enc.dll");
  EXPECT_EQ(Failure([&] { missing.Load(); }), "Error loading lame_enc.DLL");

  EXPECT_EQ(Failure([] { mp3Writer w("Q:\\no\\such\\folder\\x.mp3", 128, 44100); }), "Can't create MP3 file.");
}

}  // namespace
