// The receiver object (CMyKestrune) against the simulated receiver: what it sends on open, band
// select, shut-down and seek, how it reads the status, and what it does closed or refused.
#include <gtest/gtest.h>

#include <vector>

#include "device/MyKestrune.h"
#include "tests/support/ManualClock.h"
#include "tests/support/SimulatedReceiver.h"

namespace {

using Bytes = std::vector<uint8_t>;

class DeviceTest : public ::testing::Test {
 protected:
  ManualClock clock;
  SimulatedReceiver receiver{clock};
  SimulatedHidPlatform platform{receiver};
  CMyKestrune device{platform, clock};

  void Open() {
    platform.PutReceiverAt(0);
    ASSERT_EQ(device.OpenDevice(nullptr), 1);
  }
};

TEST_F(DeviceTest, EveryOperationOnAClosedDeviceSendsNothingAndReturnsZero) {
  uint8_t status[kReportLength] = {7};
  EXPECT_EQ(device.PowerUp(), 0);
  EXPECT_EQ(device.SendBandSelect(BandFM), 0);
  EXPECT_EQ(device.SendTune(8750), 0);
  EXPECT_EQ(device.SendSeek(SeekDirection::Up), 0);
  EXPECT_EQ(device.SendStereoMode(true), 0);
  EXPECT_EQ(device.SendBandCompletion(), 0);
  EXPECT_EQ(device.SendRegionConfig(RegionUSA), 0);
  EXPECT_EQ(device.ReadStatus(status), 0);
  EXPECT_EQ(status[0], 7);
  device.CloseDevice();
  EXPECT_TRUE(receiver.Log().empty());
  EXPECT_TRUE(clock.Sleeps().empty());
}

TEST_F(DeviceTest, PowerUpAndBandSelectSequences) {
  Open();
  device.SendRegionConfig(RegionJapan);
  device.SetBand(BandFM);
  device.PowerUp();
  device.SendBandSelect(BandAM);
  const auto log = receiver.LogPrefixes(5);
  ASSERT_EQ(log.size(), 8u);
  EXPECT_EQ(Bytes(receiver.Log()[0].bytes), Bytes(RegionConfigBlock(2).begin(), RegionConfigBlock(2).end()));
  EXPECT_EQ(Bytes(log[1].begin(), log[1].begin() + 4), (Bytes{0x13, 0x35, 0x02, 0xFF}));
  EXPECT_EQ(Bytes(log[2].begin(), log[2].begin() + 4), (Bytes{0x0A, 0x02, 0x02, 0xFF}));
  EXPECT_EQ(Bytes(log[3].begin(), log[3].begin() + 4), (Bytes{0x05, 0x00, 0x00, 0xFF}));
  EXPECT_EQ(Bytes(log[4].begin(), log[4].begin() + 4), (Bytes{0x09, 0x02, 0x00, 0xFF}));
  EXPECT_EQ(Bytes(log[5].begin(), log[5].begin() + 4), (Bytes{0x05, 0x00, 0x00, 0xFF}));
  EXPECT_EQ(Bytes(log[6].begin(), log[6].begin() + 4), (Bytes{0x0A, 0x80, 0x02, 0xFF}));
  EXPECT_EQ(Bytes(log[7].begin(), log[7].begin() + 4), (Bytes{0x05, 0x00, 0x00, 0xFF}));
  for (const auto& r : receiver.Log()) EXPECT_EQ(r.bytes.size(), kReportLength);
  // Short reports overwrite only their leading bytes: the configuration block's tail stays.
  EXPECT_EQ(receiver.Log()[1].bytes[4], RegionConfigBlock(2)[4]);
  EXPECT_TRUE(receiver.Powered());
  EXPECT_EQ(receiver.Band(), BandAM);
}

TEST_F(DeviceTest, ShutDownSequenceReleasesTheGraphAndClosesTheHandle) {
  Open();
  EXPECT_EQ(platform.registrations.size(), 1u);
  device.CloseDevice();
  EXPECT_FALSE(device.IsOpen());
  EXPECT_EQ(receiver.OpenHandles(), 0u);
  EXPECT_TRUE(platform.registrations.empty());
  EXPECT_EQ(clock.Sleeps(), std::vector<unsigned>{20});
  const auto log = receiver.LogPrefixes(5);
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(Bytes(log[0].begin(), log[0].begin() + 4), (Bytes{0x0A, 0x03, 0x02, 0xFF}));
  EXPECT_EQ(Bytes(log[1].begin(), log[1].begin() + 4), (Bytes{0x09, 0x02, 0x00, 0xFF}));
  EXPECT_EQ(log[2], (Bytes{0x13, 0x35, 0x10, 0xFF, 0xFF}));
  device.CloseDevice();  // a second close sends nothing
  EXPECT_EQ(receiver.Log().size(), 3u);
}

TEST_F(DeviceTest, StatusReadDeliversOrTimesOutWithinItsLimit) {
  Open();
  device.SendTune(8750);
  receiver.SetStations({{BandFM, 8750, 45}});
  uint8_t status[kReportLength] = {};
  ASSERT_EQ(device.ReadStatus(status), 1);
  EXPECT_EQ(DecodeStatus(status).frequency, 8750);
  EXPECT_EQ(SignalLevel(DecodeStatus(status).signal), 4);

  uint8_t untouched[kReportLength];
  std::fill(std::begin(untouched), std::end(untouched), 0xAB);
  receiver.readsTimingOut = 1;
  const uint64_t before = clock.NowMs();
  EXPECT_EQ(device.ReadStatus(untouched), 0);
  EXPECT_EQ(clock.NowMs() - before, kStatusReadTimeoutMs);
  EXPECT_EQ(untouched[3], 0xAB);
  EXPECT_EQ(device.ReadStatus(status), 1);  // the next read works again
}

TEST_F(DeviceTest, FailedSendsAreReportedAsZeroButChangeNothingElse) {
  Open();
  receiver.failSends = true;
  EXPECT_EQ(device.SendTune(8750), 0);
  receiver.failSends = false;
  EXPECT_EQ(device.SendTune(8750), 1);
}

TEST_F(DeviceTest, SeekWalksTheBandAndSettlesOnTheNextStation) {
  Open();
  device.SendRegionConfig(RegionEurope);
  device.SetBand(BandFM);
  device.PowerUp();
  device.SendTune(8750);
  receiver.SetStations({{BandFM, 8800, 60}, {BandFM, 9000, 50}});
  device.SendSeek(SeekDirection::Up);
  std::vector<uint16_t> seen;
  uint8_t status[kReportLength];
  for (int i = 0; i < 10; ++i) {
    clock.Advance(100);
    ASSERT_EQ(device.ReadStatus(status), 1);
    seen.push_back(DecodeStatus(status).frequency);
  }
  EXPECT_GT(seen[0], 8750);
  EXPECT_LT(seen[0], 8800);  // passes frequencies on its way
  EXPECT_EQ(seen.back(), 8800);
  EXPECT_EQ(SignalLevel(DecodeStatus(status).signal), 5);
  // Seeking down from the station stops at the lower edge when nothing is below it.
  device.SendSeek(SeekDirection::Down);
  clock.Advance(5000);
  ASSERT_EQ(device.ReadStatus(status), 1);
  EXPECT_EQ(DecodeStatus(status).frequency, 8750);
  EXPECT_FALSE(receiver.Seeking());
}

TEST_F(DeviceTest, CandidateSelection) {
  using Slot = SimulatedHidPlatform::Slot;
  platform.slots = {Slot{Slot::Missing}, Slot{Slot::Other, 0x10C4, 0x1234}, Slot{Slot::Busy, 0x10C4, 0x818A},
                    Slot{Slot::Other, 0x10C4, 0x818A, 32}, Slot{Slot::Other, 0x10C4, 0x818A, 64, true},
                    Slot{Slot::Receiver, 0x10C4, 0x818A}, Slot{Slot::Receiver, 0x10C4, 0x818A}};
  EXPECT_EQ(device.OpenDevice(nullptr), 1);
  EXPECT_EQ(platform.membersVisited, 6u);  // the first candidate wins
  EXPECT_EQ(platform.enumerationsOpen, 0u);
  EXPECT_EQ(device.Caps().featureReportLength, kReportLength);
  EXPECT_EQ(receiver.OpenHandles(), 1u);
  EXPECT_EQ(device.OpenDevice(nullptr), 1);  // already open: nothing else is done
  EXPECT_EQ(platform.membersVisited, 6u);
}

TEST_F(DeviceTest, NotFoundWalksAllSlotsAndLeavesNothingOpen) {
  platform.slots = {SimulatedHidPlatform::Slot{SimulatedHidPlatform::Slot::Other, 0x046D, 0xC077}};
  EXPECT_EQ(device.OpenDevice(nullptr), 0);
  EXPECT_EQ(platform.membersVisited, kMaxHidMembers);
  EXPECT_EQ(platform.enumerationsOpen, 0u);
  EXPECT_FALSE(device.IsOpen());
  platform.enumerationFails = true;
  platform.PutReceiverAt(0);
  EXPECT_EQ(device.OpenDevice(nullptr), 0);
}

}  // namespace
