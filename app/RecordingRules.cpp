#include "app/RecordingRules.h"

#include <cstdio>

#include "device/BandPlan.h"
#include "resources/resource.h"

uint16_t RecordingBitrate(uint8_t& index) {
  static constexpr uint16_t kRates[] = {320, 192, 128, 64};
  if (index > 3) index = 2;
  return kRates[index];
}

std::string BitrateText(uint16_t kbps) { return std::to_string(kbps) + " Kbps"; }

std::string RecordingFileName(uint8_t band, uint16_t frequency, const LocalTime& t) {
  const char* prefix = band == BandAM ? "AM" : band == BandFM ? "FM" : "SW";
  char name[96];
  std::snprintf(name, sizeof name, "\\%s%04u_%04d%02d%02d_%02d%02d%02d.mp3", prefix, static_cast<unsigned>(frequency),
                t.year, t.month, t.day, t.hour, t.minute, t.second);
  return name;
}

uint16_t RecordCommandLimit(int command) {
  switch (command) {
    case ID_REC_15: case ID_STOP_15: return 900;
    case ID_REC_30: case ID_STOP_30: return 1800;
    case ID_REC_45: case ID_STOP_45: return 2700;
    case ID_REC_60: case ID_STOP_60: return 3600;
    default: return 0;
  }
}

std::string RecordCommandLabel(int command) {
  switch (command) {
    case ID_REC_OPEN: return "REC ";
    case ID_REC_15: return "REC 15Min";
    case ID_REC_30: return "REC 30Min";
    case ID_REC_45: return "REC 45Min";
    case ID_REC_60: return "REC 60Min";
    case ID_STOP_15: return "REC Stop15Min";
    case ID_STOP_30: return "REC Stop30Min";
    case ID_STOP_45: return "REC Stop45Min";
    case ID_STOP_60: return "REC Stop60Min";
    default: return "";
  }
}

std::string ElapsedText(uint8_t hours, uint8_t minutes, uint8_t seconds) {
  char text[16];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u", hours, minutes, seconds);
  return text;
}
