// The receiver's HID reports byte for byte: tuning, band codes, the configuration blocks, the status.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "device/BandPlan.h"
#include "device/TunerModel.h"
#include "device/TunerReports.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Lead(const ShortReport& r) { return Bytes(r.bytes, r.bytes + r.length); }

TEST(TunerReports, TuneBytesAreBigEndianInTheBandUnit) {
  EXPECT_EQ(Lead(TuneReport(8750)), (Bytes{0x02, 0x22, 0x2E, 0xFF}));
  EXPECT_EQ(Lead(TuneReport(1710)), (Bytes{0x02, 0x06, 0xAE, 0xFF}));
  EXPECT_EQ(Lead(TuneReport(23000)), (Bytes{0x02, 0x59, 0xD8, 0xFF}));
}

TEST(TunerReports, BandCodesForEveryBandAndRegion) {
  const uint8_t expected[3][4] = {// regions 0, 1, 2, 200
                                  {0x81, 0x82, 0x80, 0x80},
                                  {0x00, 0x03, 0x02, 0x02},
                                  {0x87, 0x87, 0x87, 0x87}};
  const uint8_t regions[4] = {0, 1, 2, 200};
  for (uint8_t band = 0; band < 3; ++band)
    for (int r = 0; r < 4; ++r)
      EXPECT_EQ(BandSelectCode(band, regions[r]), expected[band][r]) << int(band) << "/" << int(regions[r]);
  EXPECT_EQ(BandSelectCode(3, 0), 0x87);
  EXPECT_EQ(BandSelectCode(255, 1), 0x87);
  EXPECT_EQ(Lead(BandSelectReport(BandAM, RegionEurope)), (Bytes{0x0A, 0x82, 0x02, 0xFF}));
  // What the stand-in receivers read back from a code: the band and region it was made of (SW
  // keeps the region it had); an unknown code changes nothing.
  for (uint8_t band = 0; band < 3; ++band)
    for (uint8_t region = 0; region < 3; ++region) {
      uint8_t decodedBand = 9, decodedRegion = region;
      ASSERT_TRUE(DecodeBandSelectCode(BandSelectCode(band, region), decodedBand, decodedRegion));
      EXPECT_EQ(decodedBand, band);
      EXPECT_EQ(decodedRegion, region);
    }
  uint8_t band = BandAM, region = RegionUSA;
  EXPECT_FALSE(DecodeBandSelectCode(0x01, band, region));
  EXPECT_EQ(band, BandAM);
  EXPECT_EQ(region, RegionUSA);
}

TEST(TunerReports, ConfigurationBlocksAreExact) {
  const auto& usa = RegionConfigBlock(0);
  const auto& eur = RegionConfigBlock(1);
  const auto& jap = RegionConfigBlock(2);
  EXPECT_EQ(&RegionConfigBlock(3), &jap);
  EXPECT_EQ(&RegionConfigBlock(255), &jap);
  for (const auto* b : {&usa, &eur, &jap}) {
    EXPECT_EQ((*b)[0], 0x14);
    EXPECT_EQ((*b)[62], 0xA2);
    EXPECT_EQ((*b)[63], 0x03);
  }
  EXPECT_EQ(Bytes(usa.begin() + 16, usa.begin() + 32),
            (Bytes{0, 0, 0, 0, 0x01, 0x1F, 0x64, 0x02, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(Bytes(eur.begin(), eur.begin() + 16),
            (Bytes{0x14, 0x01, 0x07, 0x01, 0x00, 0x17, 0x60, 0, 0, 0, 0, 0, 0, 0x17, 0, 0}));
  EXPECT_EQ(Bytes(jap.begin() + 32, jap.end()),
            (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x04, 0x00, 0x52, 0x02, 0xB5, 0x02, 0x2A, 0x03, 0xBA, 0x03, 0x6E, 0x04,
                   0xDA, 0x04, 0x8E, 0x05, 0x0A, 0x02, 0x0A, 0x02, 0xD9, 0x02, 0x96, 0x03, 0xBA, 0x03, 0xA2, 0x03}));
}

TEST(TunerReports, SignalLevelBoundaries) {
  const std::pair<int, int> cases[] = {{0, 0}, {9, 0}, {10, 1}, {20, 1}, {21, 2}, {30, 2}, {31, 3},
                                       {40, 3}, {41, 4}, {50, 4}, {51, 5}, {255, 5}};
  for (auto [signal, level] : cases) EXPECT_EQ(SignalLevel(static_cast<uint8_t>(signal)), level) << signal;
  uint8_t report[kReportLength] = {0x01, 0x00, 42, 0x22, 0x2E};
  EXPECT_EQ(DecodeStatus(report).signal, 42);
  EXPECT_EQ(DecodeStatus(report).frequency, 8750);
}

}  // namespace
