// The demo receiver, driven through the real device object: it is found, brought up, tuned and
// seeks like the hardware, its status carries the signal of what it is on, and it plays the
// tuned station, noise between stations and nothing while it is off.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "demo/DemoReceiver.h"
#include "device/MyKestrune.h"
#include "tests/support/ManualClock.h"

namespace {

// A station whose programme is a steady square wave of `period` frames, easy to tell apart.
DemoStation Station(uint8_t band, uint16_t frequency, uint8_t signal, int period) {
  DemoStation s;
  s.band = band;
  s.frequency = frequency;
  s.signal = signal;
  s.name = "Test " + std::to_string(frequency);
  for (int i = 0; i < 1600; ++i) {
    const int16_t v = (i % period) < period / 2 ? 8000 : -8000;
    s.sound.push_back(v);
    s.sound.push_back(v);
  }
  return s;
}

struct Heard {
  double rms = 0;
  double matchA = 0;  // correlation with station A's square wave (0..1)
};

Heard Listen(DemoReceiver& receiver, int periodA) {
  std::vector<int16_t> block(1600 * 2);
  receiver.RenderAudio(block.data(), 1600);
  double power = 0, dot = 0;
  for (size_t i = 0; i < block.size(); i += 2) {
    power += double(block[i]) * block[i];
    dot += block[i] * ((((i / 2)) % periodA) < size_t(periodA / 2) ? 1.0 : -1.0);
  }
  Heard heard;
  heard.rms = std::sqrt(power / 1600);
  heard.matchA = heard.rms > 0 ? std::abs(dot / 1600) / heard.rms : 0;
  return heard;
}

class DemoReceiverTest : public ::testing::Test {
 protected:
  ManualClock clock;
  DemoReceiver receiver{clock, {Station(1, 8930, 52, 40), Station(1, 9790, 60, 16), Station(0, 810, 39, 20)}};
  DemoHidPlatform platform{receiver};
  CMyKestrune device{platform, clock};

  int Signal() {
    uint8_t report[kReportLength] = {};
    EXPECT_EQ(device.ReadStatus(report), 1);
    return DecodeStatus(report).signal;
  }
  void BringUp(uint8_t band, uint16_t frequency) {
    ASSERT_EQ(device.OpenDevice(nullptr), 1);
    device.SendRegionConfig(RegionEurope);
    device.SetBand(band);
    device.PowerUp();
    device.SendBandSelect(band);
    device.SendTune(frequency);
  }
};

TEST_F(DemoReceiverTest, FoundAndBroughtUpLikeTheReceiverAndSilentUntilPowered) {
  std::vector<int16_t> block(320 * 2, 1234);
  receiver.RenderAudio(block.data(), 320);
  for (int16_t s : block) ASSERT_EQ(s, 0) << "an unpowered receiver plays nothing";

  BringUp(BandFM, 8930);
  EXPECT_TRUE(device.IsOpen());
  EXPECT_TRUE(receiver.Powered());
  EXPECT_EQ(receiver.Band(), BandFM);
  EXPECT_EQ(receiver.Frequency(), 8930);
  EXPECT_EQ(Signal(), 52);
  EXPECT_EQ(SignalLevel(static_cast<uint8_t>(Signal())), 5);

  device.CloseDevice();  // the shut-down reports power it down
  EXPECT_FALSE(receiver.Powered());
  receiver.RenderAudio(block.data(), 320);
  for (int16_t s : block) ASSERT_EQ(s, 0);
}

TEST_F(DemoReceiverTest, SoundAndSignalFollowTheTuning) {
  BringUp(BandFM, 8930);
  const Heard on = Listen(receiver, 40);
  EXPECT_GT(on.matchA, 0.9) << "the station itself, nearly clean";

  device.SendTune(8940);  // 100 kHz off: the station through noise, and a weaker signal
  const Heard near = Listen(receiver, 40);
  EXPECT_GT(near.matchA, 0.1);
  EXPECT_LT(near.matchA, on.matchA);
  EXPECT_LT(Signal(), 20);
  EXPECT_GE(Signal(), int(kDemoNoiseSignal));

  device.SendTune(9300);  // between stations: only noise
  const Heard between = Listen(receiver, 40);
  EXPECT_GT(between.rms, 1000) << "hiss, not silence";
  EXPECT_LT(between.matchA, 0.1);
  EXPECT_EQ(Signal(), kDemoNoiseSignal);
  EXPECT_EQ(SignalLevel(kDemoNoiseSignal), 0);

  device.SendTune(9790);  // another station: another programme
  EXPECT_LT(Listen(receiver, 40).matchA, 0.2);
  EXPECT_GT(Listen(receiver, 16).matchA, 0.9);

  device.SendBandSelect(BandAM);
  device.SendTune(810);
  EXPECT_GT(Listen(receiver, 20).matchA, 0.9);
  EXPECT_EQ(Signal(), 39);
}

TEST_F(DemoReceiverTest, SeekWalksTheBandAndStopsOnTheNextStationOrTheEdge) {
  BringUp(BandFM, 8750);
  device.SendSeek(SeekDirection::Up);
  EXPECT_TRUE(receiver.Seeking());
  EXPECT_EQ(Signal(), kDemoNoiseSignal) << "no station is reported while the tuner moves";
  clock.Advance(DemoReceiver::kMsPerSeekStep * 5);
  EXPECT_EQ(receiver.Frequency(), 8750 + 5 * 10);
  EXPECT_TRUE(receiver.Seeking());
  clock.Advance(DemoReceiver::kMsPerSeekStep * 1000);
  EXPECT_FALSE(receiver.Seeking());
  EXPECT_EQ(receiver.Frequency(), 8930);
  EXPECT_EQ(Signal(), 52);

  device.SendSeek(SeekDirection::Up);
  clock.Advance(DemoReceiver::kMsPerSeekStep * 1000);
  EXPECT_EQ(receiver.Frequency(), 9790);
  device.SendSeek(SeekDirection::Up);  // nothing above: it stops at the band's top
  clock.Advance(DemoReceiver::kMsPerSeekStep * 1000);
  EXPECT_EQ(receiver.Frequency(), 10800);
  EXPECT_FALSE(receiver.Seeking());

  // A tune during a seek ends it where the tune puts the receiver.
  device.SendSeek(SeekDirection::Down);
  clock.Advance(DemoReceiver::kMsPerSeekStep * 3);
  device.SendTune(9000);
  clock.Advance(DemoReceiver::kMsPerSeekStep * 100);
  EXPECT_EQ(receiver.Frequency(), 9000);
}

TEST(DemoStations, IndexAndSoundFilesAreReadStrictly) {
  const auto stations = ParseStationIndex(
      "# comment\n\nFM 8930 52 Ember Rock\r\nAM 810 39 Old Mill Sports\nXX 100 3 Bad band\n"
      "FM 0 40 Zero\nFM 70000 40 Too high\nSW 9580 250 Loud\nFM 9000\nFM 9100 40\n");
  ASSERT_EQ(stations.size(), 3u);
  EXPECT_EQ(stations[0].name, "Ember Rock");
  EXPECT_EQ(stations[0].frequency, 8930);
  EXPECT_EQ(stations[1].band, 0);
  EXPECT_EQ(stations[2].signal, 100);
  EXPECT_EQ(StationSoundName(stations[0]), "FM8930.wav");
  EXPECT_EQ(StationSoundName(stations[1]), "AM0810.wav");

  auto wav = [](uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, std::vector<int16_t> data) {
    std::vector<uint8_t> b;
    auto put32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i))); };
    auto put16 = [&](uint16_t v) { b.push_back(uint8_t(v)); b.push_back(uint8_t(v >> 8)); };
    auto tag4 = [&](const char* t) { b.insert(b.end(), t, t + 4); };
    tag4("RIFF"); put32(0); tag4("WAVE");
    tag4("LIST"); put32(3); b.insert(b.end(), {'a', 'b', 'c', 0});  // odd chunk, padded
    tag4("fmt "); put32(16); put16(tag); put16(channels); put32(rate); put32(rate * channels * 2);
    put16(uint16_t(channels * 2)); put16(bits);
    tag4("data"); put32(uint32_t(data.size() * 2));
    for (int16_t s : data) put16(uint16_t(s));
    return b;
  };
  std::vector<int16_t> samples;
  EXPECT_TRUE(ParsePcmWav(wav(1, 2, 16000, 16, {1, -2, 300, -32768}), samples));
  EXPECT_EQ(samples, (std::vector<int16_t>{1, -2, 300, -32768}));
  EXPECT_FALSE(ParsePcmWav(wav(1, 1, 16000, 16, {1, 2}), samples)) << "mono";
  EXPECT_FALSE(ParsePcmWav(wav(1, 2, 44100, 16, {1, 2}), samples)) << "another rate";
  EXPECT_FALSE(ParsePcmWav(wav(3, 2, 16000, 16, {1, 2}), samples)) << "float";
  EXPECT_TRUE(samples.empty());
  std::vector<uint8_t> cut = wav(1, 2, 16000, 16, {1, 2, 3, 4});
  cut.resize(cut.size() - 3);
  EXPECT_FALSE(ParsePcmWav(cut, samples)) << "truncated data";
  EXPECT_FALSE(ParsePcmWav({'R', 'I', 'F', 'F'}, samples));
  EXPECT_TRUE(LoadDemoStations("/nonexistent-folder").empty());
}

}  // namespace
