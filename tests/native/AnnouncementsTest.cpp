// What a screen reader is told without its focus moving: the text for each kind of change, and
// the gate that says the first change of a burst at once and where the burst ended once.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Announcements.h"

namespace {

using accessible::AnnouncementGate;
using accessible::Situation;

Situation At(const std::string& station) {
  Situation s;
  s.station = station;
  return s;
}

Situation Muted(Situation s) {
  s.muted = true;
  return s;
}

Situation Recording(Situation s, const std::string& file, const std::string& reservation = {}) {
  s.recording = true;
  s.kbps = 128;
  s.recordFile = file;
  s.scheduled = !reservation.empty();
  s.reservation = reservation;
  return s;
}

Situation Volume(Situation s, int level) {
  s.volume = level;
  return s;
}

Situation Playing(Situation s, const std::string& file) {
  s.playing = true;
  s.playFile = file;
  return s;
}

const std::string kF1 = "FM 78.10 MHz, preset 1, Channel01, stereo";
const std::string kF2 = "FM 80.00 MHz, preset 2, Morning, stereo";

TEST(Announcements, EachChangeIsSaidWhatStartedOrEndedFirst) {
  struct Row {
    const char* what;
    Situation before, now;
    std::string said;
  };
  const std::vector<Row> rows = {
      {"a preset key", At(kF1), At(kF2), kF2},
      {"the receiver comes up", At("no receiver"), At(kF1), kF1},
      {"mute", At(kF2), Muted(At(kF2)), kF2 + ", muted"},
      {"sound back", Muted(At(kF2)), At(kF2), kF2},
      {"nothing a listener cares about", At(kF2), At(kF2), ""},
      {"a recording starts", At(kF2), Recording(At(kF2), "FM8000_20261207_120000.mp3"),
       "Recording started, " + kF2 + ", 128 kbit/s, FM8000_20261207_120000.mp3"},
      {"its running time is no change", Recording(At(kF2), "a.mp3"), Recording(At(kF2), "a.mp3"), ""},
      {"mute while recording", Recording(At(kF2), "a.mp3"), Muted(Recording(At(kF2), "a.mp3")),
       kF2 + ", muted, recording"},
      {"the recording stops", Recording(At(kF2), "a.mp3"), At(kF2), "Recording stopped, " + kF2},
      {"a scheduled start tunes and records at once", At(kF1), Recording(At(kF2), "0103_0700.mp3", "Wine News"),
       "Scheduled recording Wine News started, " + kF2 + ", 128 kbit/s, 0103_0700.mp3"},
      {"the scheduled end restores the station", Recording(At(kF2), "0103_0700.mp3", "Wine News"), At(kF1),
       "Scheduled recording Wine News ended, " + kF1},
      {"a file plays", At(kF1), Playing(At(kF1), "FM8750_20261207_070000.mp3"),
       "Playing FM8750_20261207_070000.mp3"},
      {"muted while it plays", Playing(At(kF1), "x.mp3"), Muted(Playing(At(kF1), "x.mp3")), "Playing x.mp3, muted"},
      {"the playback ends", Playing(At(kF1), "x.mp3"), At(kF1), "Playback stopped, " + kF1},
      {"the volume alone", At(kF1), Volume(At(kF1), 55), "Volume 55 %"},
      {"the volume while a file plays", Playing(At(kF1), "x.mp3"), Volume(Playing(At(kF1), "x.mp3"), 7), "Volume 7 %"},
      {"a station change says the station, not the volume", At(kF1), Volume(At(kF2), 55), kF2},
  };
  for (const Row& row : rows) EXPECT_EQ(accessible::AnnouncementText(row.before, row.now), row.said) << row.what;
}

TEST(Announcements, SituationLeavesOutTheSignalAndTheRunningTimes) {
  accessible::Facts f;
  f.shown.deviceOpen = true;
  f.shown.band = 1;
  f.shown.frequency = 8000;
  f.shown.preset = 2;
  f.presetName = "Morning";
  f.shown.stereo = 1;
  f.shown.signal = 3;
  f.shown.recording = true;
  f.recordSeconds = 5;
  f.recordKbps = 64;
  f.recordFile = "C:\\RadioREC\\Wine News\\20261207_070000.mp3";
  f.scheduled = true;
  f.reservationName = "Wine News";
  const Situation s = accessible::SituationOf(f);
  f.shown.signal = 5;
  f.recordSeconds = 6;
  EXPECT_EQ(accessible::SituationOf(f), s);
  EXPECT_EQ(s.station, kF2);
  EXPECT_EQ(s.recordFile, "20261207_070000.mp3");
  EXPECT_EQ(s.reservation, "Wine News");
  EXPECT_EQ(s.kbps, 64);
}

class AnnouncementGateTest : public ::testing::Test {
 protected:
  // Offers `s` at `ms` and keeps what was said.
  void Offer(const Situation& s, uint64_t ms) {
    if (std::string text = gate.Offer(s, ms); !text.empty()) said.push_back(text);
  }
  void Flush(uint64_t ms) {
    if (std::string text = gate.Flush(ms); !text.empty()) said.push_back(text);
  }

  AnnouncementGate gate{400};
  std::vector<std::string> said;
};

TEST_F(AnnouncementGateTest, TheFirstChangeIsSaidAtOnceAndABurstOnceWhereItEnds) {
  gate.Settle(At(kF1));
  Offer(At(kF2), 1000);
  EXPECT_EQ(said, std::vector<std::string>{kF2});
  EXPECT_FALSE(gate.DueMs());
  // Five quick preset keys, 100 ms apart: the first is inside the quiet after F2 already.
  for (int n = 3; n <= 7; ++n) Offer(At("FM preset " + std::to_string(n)), 1000 + 100 * static_cast<uint64_t>(n - 2));
  ASSERT_TRUE(gate.DueMs());
  EXPECT_EQ(*gate.DueMs(), 1500u + 400u);
  Flush(1899);  // not quiet long enough yet
  EXPECT_EQ(said.size(), 1u);
  Flush(1900);
  EXPECT_EQ(said, (std::vector<std::string>{kF2, "FM preset 7"}));
  EXPECT_FALSE(gate.DueMs());
  Flush(5000);
  EXPECT_EQ(said.size(), 2u);
}

TEST_F(AnnouncementGateTest, AHeldKeyLeavesNoQueueAndABurstBackWhereItBeganSaysNothing) {
  gate.Settle(At(kF1));
  // Thirty repeats a second for three seconds: the first said at once, the last after the keys.
  for (uint64_t ms = 0; ms <= 3000; ms += 33) Offer(At("FM " + std::to_string(ms)), 10000 + ms);
  Flush(13000 + 33);
  Flush(13390 + 10);
  EXPECT_EQ(said, (std::vector<std::string>{"FM 0", "FM 2970"}));

  // Mute and unmute quickly after a change: the listener heard the station, and it is so again.
  said.clear();
  Offer(At(kF2), 20000);
  Offer(Muted(At(kF2)), 20100);
  Offer(At(kF2), 20200);
  Flush(20600);
  EXPECT_EQ(said, std::vector<std::string>{kF2});
}

TEST_F(AnnouncementGateTest, RepeatsOfTheSameSituationNeitherSpeakNorHoldABurstOpen) {
  gate.Settle(Recording(At(kF2), "a.mp3"));
  // The heartbeat offers the running recording every second: nothing to say.
  for (uint64_t s = 0; s < 5; ++s) Offer(Recording(At(kF2), "a.mp3"), 1000 * s);
  EXPECT_TRUE(said.empty());
  Offer(At(kF2), 6000);
  Offer(At(kF2), 6100);  // the same again inside the quiet: no burst
  EXPECT_FALSE(gate.DueMs());
  EXPECT_EQ(said, std::vector<std::string>{"Recording stopped, " + kF2});
}

TEST_F(AnnouncementGateTest, ASettledSituationIsNotSaidAndDropsWhatWaited) {
  gate.Settle(At(kF1));
  Offer(At(kF2), 1000);
  Offer(Muted(At(kF2)), 1100);  // waits for the burst's end
  // The window went to the tray: its events reach nobody, and the night is not replayed later.
  gate.Settle(Recording(At(kF1), "b.mp3", "Night"));
  EXPECT_FALSE(gate.DueMs());
  Flush(5000);
  Offer(Recording(At(kF1), "b.mp3", "Night"), 6000);
  EXPECT_EQ(said, std::vector<std::string>{kF2});
  Offer(At(kF1), 7000);
  EXPECT_EQ(said.back(), "Scheduled recording Night ended, " + kF1);
}

}  // namespace
