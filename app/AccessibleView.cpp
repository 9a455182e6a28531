#include "app/AccessibleView.h"

#include <cstdio>
#include <cstdlib>

#include "resources/resource.h"
#include "schedule/ScheduleTable.h"

namespace accessible {

namespace {

// "00:01:02 / 00:30:00" as it is said: "00:01:02 of 00:30:00".
std::string Spoken(const std::string& position) {
  const size_t slash = position.find(" / ");
  if (slash == std::string::npos) return position;
  return position.substr(0, slash) + " of " + position.substr(slash + 3);
}

const char* BandText(std::uint8_t band) { return band == 0 ? "AM" : band == 1 ? "FM" : "SW"; }

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string Station(const Facts& f) {
  std::string text = StationText(f);
  if (f.shown.deviceOpen) {
    text += ", signal ";
    text += std::to_string(f.shown.signal);
    text += " of 5";
  }
  if (f.muted) text += ", muted";
  return text;
}

std::string Readout(const Facts& f) {
  if (f.shown.playing) {
    std::string text = "playing ";
    text += FileNameOf(f.playFile);
    if (!f.playPosition.empty()) text.append(", ").append(Spoken(f.playPosition));
    if (f.muted) text += ", muted";
    return text;
  }
  std::string text = Station(f);
  if (f.shown.recording) {
    text += ", recording ";
    text += ClockText(static_cast<std::int64_t>(f.recordSeconds));
    text += ", ";
    text += std::to_string(f.recordKbps);
    text += " kbit/s, ";
    text += FileNameOf(f.recordFile);
  }
  return text;
}

}  // namespace

std::string FrequencyText(std::uint16_t frequency, std::uint8_t band) {
  char text[32];
  if (band == 1) std::snprintf(text, sizeof text, "%u.%02u MHz", frequency / 100u, frequency % 100u);
  else std::snprintf(text, sizeof text, "%u kHz", static_cast<unsigned>(frequency));
  return text;
}

std::string ReadoutValue(const Facts& facts) { return Readout(facts); }

std::string StationText(const Facts& f) {
  if (!f.shown.deviceOpen) return "no receiver";
  std::string text = std::string(BandText(f.shown.band)) + " " + FrequencyText(f.shown.frequency, f.shown.band);
  if (f.shown.preset != 0) {
    text += ", preset ";
    text += std::to_string(f.shown.preset);
    if (!f.presetName.empty()) text += ", " + f.presetName;
  }
  text += f.shown.stereo ? ", stereo" : ", mono";
  return text;
}

std::string ButtonName(int id, const Facts& f) {
  if (id >= IDC_PRESET1 && id <= IDC_PRESET12) {
    const int n = id - IDC_PRESET1 + 1;
    std::string name = std::string("Preset ") + std::to_string(n);
    const std::string stored = Trimmed(f.presetNames[n - 1]);
    if (!stored.empty()) name += ", " + stored;
    const long frequency = std::strtol(Trimmed(f.presetFrequencies[n - 1]).c_str(), nullptr, 10);
    if (frequency > 0 && frequency <= 0xFFFF)
      name.append(", ").append(FrequencyText(static_cast<std::uint16_t>(frequency), f.shown.band));
    else
      name += ", empty";
    return name;
  }
  switch (id) {
    case IDC_PRESET_DOWN: return "Previous preset";
    case IDC_PRESET_UP: return "Next preset";
    case IDC_SEEK_DOWN: return "Seek down";
    case IDC_SEEK_UP: return "Seek up";
    case IDC_TUNE_DOWN: return "Tune down";
    case IDC_TUNE_UP: return "Tune up";
    case IDC_MUTE: return "Mute";
    case IDC_STEREO: return "Stereo";
    case IDC_AM: return "AM";
    case IDC_FM: return "FM";
    case IDC_SW: return "SW";
    case IDC_RECORD: return "Record";
    case IDC_PLAYBACK: return "Play";
    case IDC_SAVE_PRESET: return "Save to preset";
    case IDC_TIMER_SETTINGS: return "Timer settings";
    case IDC_SETTINGS: return "Preferences";
    case IDC_ABOUT: return "About";
    case IDC_MINIMISE: return "Minimise";
    case IDC_CLOSE: return "Close";
    case IDC_VOLUME: return "Volume";
    case IDC_POSITION: return "Position";
    case kReadoutId: return "Radio";
    default: return {};
  }
}

std::string Shortcut(int id) {
  if (id >= IDC_PRESET1 && id <= IDC_PRESET12) return std::string("F") + std::to_string(id - IDC_PRESET1 + 1);
  switch (id) {
    case IDC_PRESET_DOWN: return "Left";
    case IDC_PRESET_UP: return "Right";
    case IDC_SETTINGS: return "S";
    case IDC_TIMER_SETTINGS: return "T";
    case IDC_MUTE: return "M";
    case IDC_VOLUME: return "Up, Down";
    default: return {};
  }
}

const std::vector<int>& ReadingOrder() {
  static const std::vector<int> order = [] {
    std::vector<int> ids = {IDC_ABOUT, IDC_MINIMISE, IDC_CLOSE, IDC_PRESET_DOWN};
    for (int id = IDC_PRESET1; id <= IDC_PRESET12; ++id) ids.push_back(id);
    for (int id : {IDC_PRESET_UP, kReadoutId, IDC_SETTINGS, IDC_MUTE, IDC_VOLUME, IDC_SEEK_DOWN, IDC_TUNE_DOWN,
                   IDC_POSITION, IDC_TUNE_UP, IDC_SEEK_UP, IDC_STEREO, IDC_AM, IDC_FM, IDC_SW, IDC_RECORD,
                   IDC_PLAYBACK, IDC_SAVE_PRESET, IDC_TIMER_SETTINGS})
      ids.push_back(id);
    return ids;
  }();
  return order;
}

Element Describe(int id, const Facts& f, bool enabled) {
  Element e;
  e.id = id;
  e.name = ButtonName(id, f);
  e.shortcut = Shortcut(id);
  e.unavailable = !enabled;
  if (id == kReadoutId) {
    e.role = Role::Text;
    e.value = ReadoutValue(f);
    e.unavailable = false;
  } else if (id == IDC_VOLUME) {
    e.role = Role::Slider;
    e.value = std::to_string(f.volume);
    e.value += " %";
  } else if (id == IDC_POSITION) {
    e.role = Role::Slider;
    e.value = Spoken(f.playPosition);
  } else {
    e.pressed = (id == IDC_STEREO && f.shown.stereo) || (id == IDC_MUTE && f.muted) ||
                (id == IDC_RECORD && f.shown.recording) || (id == IDC_PLAYBACK && f.shown.playing);
  }
  return e;
}

}  // namespace accessible
