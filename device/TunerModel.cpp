#include "device/TunerModel.h"

#include <algorithm>

bool DecodeBandSelectCode(uint8_t code, uint8_t& band, uint8_t& region) {
  switch (code) {
    case 0x00: band = BandFM; region = RegionUSA; return true;
    case 0x03: band = BandFM; region = RegionEurope; return true;
    case 0x02: band = BandFM; region = RegionJapan; return true;
    case 0x81: band = BandAM; region = RegionUSA; return true;
    case 0x82: band = BandAM; region = RegionEurope; return true;
    case 0x80: band = BandAM; region = RegionJapan; return true;
    case 0x87: band = BandSW; return true;
    default: return false;
  }
}

bool TunerModel::Apply(const uint8_t* report) {
  switch (report[0]) {
    case kReportTune:
      seeking = false;
      frequency = static_cast<uint16_t>((report[1] << 8) | report[2]);
      return false;
    case kReportBandSelect: {
      uint8_t newBand = band, newRegion = region;
      if (DecodeBandSelectCode(report[1], newBand, newRegion)) {
        seeking = false;
        band = newBand;
        region = newRegion;
      }
      return false;
    }
    case kReportSeek:
      if (!powered || (report[1] != 0x01 && report[1] != 0x02)) return false;
      seeking = true;
      seekDirection = static_cast<SeekDirection>(report[1]);
      return true;
    case kReportPower:
      if (report[2] == 0x02) powered = true;
      if (report[2] == 0x10) {
        powered = false;
        seeking = false;
      }
      return false;
    default:
      return false;
  }
}

uint16_t TunerModel::SeekStep(uint16_t from, const BandLimits& limits) const {
  if (seekDirection == SeekDirection::Up)
    return from >= limits.upper ? limits.upper : static_cast<uint16_t>(std::min<unsigned>(from + limits.step, limits.upper));
  return from <= limits.lower ? limits.lower : static_cast<uint16_t>(std::max<int>(from - limits.step, limits.lower));
}
