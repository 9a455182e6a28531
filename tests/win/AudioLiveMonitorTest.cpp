// Live listening where the graph cannot connect (Wine): the receiver is heard through the wave-in
// -> wave-out monitor. The rig's speakers are a null sink whose monitor is itself a wave-in
// device, so the test hears what the user would: the "FM Radio" source's 1 kHz tone.
#include <gtest/gtest.h>

#include <cmath>
#include <mutex>
#include <vector>

#include "audio/win32/LiveGraph.h"
#include "audio/win32/WaveCapture.h"

namespace {

class ComApartment {
 public:
  ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ComApartment() { CoUninitialize(); }
};

class Collector final : public IReceiver {
 public:
  int Receive(const uint8_t* block, uint32_t bytes) override {
    std::lock_guard<std::mutex> hold(lock_);
    const auto* samples = reinterpret_cast<const int16_t*>(block);
    samples_.insert(samples_.end(), samples, samples + bytes / 2);
    return 0;
  }
  size_t Count() {
    std::lock_guard<std::mutex> hold(lock_);
    return samples_.size();
  }
  std::vector<int16_t> Take() {
    std::lock_guard<std::mutex> hold(lock_);
    return std::move(samples_);
  }

 private:
  std::mutex lock_;
  std::vector<int16_t> samples_;
};

struct Heard {
  double rms = 0;
  double toneShare = 0;  // share of the power at 1 kHz (left channel)
};

// What the speakers play over half a second, taken after the monitor's queues have drained the
// sound from before the last change: a second of audio is captured and its last half measured.
Heard ListenToSpeakers() {
  WaveCaptureDevice* speakers = FindWaveInDevice("Monitor of Speakers");
  Collector collector;
  speakers->Start(&collector);
  constexpr size_t kWanted = 16000 * 2;  // one second of stereo samples
  for (int i = 0; i < 500 && collector.Count() < kWanted; ++i) Sleep(10);
  speakers->Stop();
  std::vector<int16_t> samples = collector.Take();
  Heard heard;
  if (samples.size() < kWanted) return heard;
  const size_t from = kWanted / 2, to = kWanted;
  double power = 0, re = 0, im = 0, leftPower = 0;
  for (size_t i = from; i < to; ++i) power += double(samples[i]) * samples[i];
  for (size_t i = from; i < to; i += 2) {
    const double phase = 2 * 3.14159265358979 * 1000.0 * double((i - from) / 2) / 16000.0;
    re += samples[i] * std::cos(phase);
    im += samples[i] * std::sin(phase);
    leftPower += double(samples[i]) * samples[i];
  }
  const double frames = double(to - from) / 2;
  heard.rms = std::sqrt(power / double(to - from));
  // A pure tone at 1 kHz puts all of its power into this bin: |X|^2 * 2 / N^2 against mean power.
  if (leftPower > 0) heard.toneShare = (re * re + im * im) * 2 / (frames * frames) / (leftPower / frames);
  return heard;
}

class AudioLiveMonitor : public ::testing::Test {
 protected:
  void TearDown() override { ClearWaveInDevices(); }
};

TEST_F(AudioLiveMonitor, SpeakersCarryTheReceiverWhileLiveAtTheSliderVolumeAndNothingWhileMuted) {
  ComApartment com;
  bool open = true;
  DirectShowLiveAudio live([&] { return open; });
  ASSERT_EQ(live.BuildLiveGraph(), S_OK);
  ASSERT_TRUE(FAILED(live.LastConnectResult())) << "this check is for a graph that cannot connect";
  ASSERT_TRUE(live.UsesMonitor());
  ASSERT_TRUE(live.Monitor().Running()) << "the FM Radio wave-in device and the speakers open";

  EXPECT_EQ(live.SetVolume(100), 1);
  const Heard full = ListenToSpeakers();
  EXPECT_GT(full.rms, 5000) << "the half-scale tone reaches the speakers";
  EXPECT_GT(full.toneShare, 0.9) << "and it is the source's 1 kHz tone, not noise";
  EXPECT_GT(live.Monitor().BlocksPlayed(), 0u);

  // The renderer's curve: level 50 is -15 dB, an amplitude of 0.178.
  EXPECT_EQ(live.SetVolume(50), 1);
  const Heard half = ListenToSpeakers();
  ASSERT_GT(full.rms, 0);
  EXPECT_NEAR(half.rms / full.rms, 0.178, 0.03);

  // Mute is level 0: silence, though the monitor keeps running.
  EXPECT_EQ(live.SetVolume(0), 1);
  const Heard muted = ListenToSpeakers();
  EXPECT_LT(muted.rms, 20);
  EXPECT_TRUE(live.Monitor().Running());

  // Stopped (a file playing) frees the devices; running again brings the sound back.
  EXPECT_EQ(live.StopLive(), S_OK);
  EXPECT_FALSE(live.Monitor().Running());
  EXPECT_LT(ListenToSpeakers().rms, 20);
  EXPECT_EQ(live.RunLive(), S_OK);
  EXPECT_TRUE(live.Monitor().Running());
  EXPECT_EQ(live.SetVolume(100), 1);
  EXPECT_GT(ListenToSpeakers().rms, 5000);

  live.ReleaseLiveGraph();
  EXPECT_FALSE(live.Monitor().Running());
  EXPECT_FALSE(live.UsesMonitor());
  EXPECT_LT(ListenToSpeakers().rms, 20);
}

}  // namespace
