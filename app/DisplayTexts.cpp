#include "app/DisplayTexts.h"

#include <cstdio>

#include "schedule/ScheduleTable.h"
#include "settings/SettingsStore.h"

namespace display {

const char* ButtonTip(int id, std::uint8_t stereo) {
  switch (id) {
    case 1000: return "Presets Dwon";
    case 1013: return "Presets Up";
    case 1014: return "Settings";
    case 1015: return "Timer Settings";
    case 1016: return "Am Mode";
    case 1017: return "Fm Mode";
    case 999: return "Sw Mode";
    case 1018: return "Seek Down";
    case 1021: return "Seek Up";
    case 1019: return "Tune  Down";
    case 1020: return "Tune  Up";
    case 1023: return "Play back";
    case 1025: return "Save to 1-12 Preset";
    case 1024: return "Mute";
    case 1032: return stereo ? "Stereo" : "Mono";
    default: return nullptr;
  }
}

std::string PresetTip(int n, std::uint8_t band, const std::string& storedName, const std::string& storedFrequency) {
  std::string name = TrimBlanks(storedName);
  if (name.empty()) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "CH%02d", n);
    name = buf;
  }
  std::string freq = storedFrequency;
  if (band == 1) {
    // Shorter texts than two characters get the point in front rather than out of range.
    // Built by concatenation: g++ 12 at -O2 misreports string::insert here (-Wrestrict).
    const size_t cut = freq.size() >= 2 ? freq.size() - 2 : 0;
    freq = freq.substr(0, cut) + "." + freq.substr(cut) + "Mhz";
  } else {
    freq += "Khz";
  }
  return name + " : " + freq;
}

std::string RecordingTimeText(const std::string& label, std::uint64_t elapsed) {
  const std::string clock = ClockText(static_cast<int64_t>(elapsed));
  return label.empty() ? "REC    " + clock : label + "   " + clock;
}

}  // namespace display
