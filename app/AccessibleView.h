#pragma once
// What a screen reader hears of the main window: its controls in reading order, each with the
// name of what it does, its role, state, value and shortcut key, and the readout as one text
// whose value says what is on. Plain data built from the window's state; app/win32 serves it as
// the window's accessible object and raises the change events.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/DisplayLayout.h"

namespace accessible {

enum class Role { PushButton, Slider, Text };

// Child id of the readout (control ids are above it).
constexpr int kReadoutId = 1;

struct Element {
  int id = 0;  // control id, or kReadoutId
  Role role = Role::PushButton;
  std::string name;
  std::string value;     // sliders and the readout
  std::string shortcut;  // the key that does the same, "" for none
  bool unavailable = false;
  bool pressed = false;  // stereo, mute, record and play while on
};

// What the window shows now, gathered by the caller.
struct Facts {
  display::IndicatorState shown;  // what the readout shows: band, frequency, preset, stereo, signal …
  std::string presetName;
  bool muted = false;
  int volume = 0;
  std::uint64_t recordSeconds = 0;
  std::uint16_t recordKbps = 0;
  std::string recordFile;  // the path written
  bool scheduled = false;       // the recording is a reservation's
  std::string reservationName;  // and this is its name
  std::string playFile;      // the path played
  std::string playPosition;  // as the display shows it: "00:01:02 / 00:30:00"
  // The current band's presets as stored: name and frequency text of 1..12.
  std::array<std::string, 12> presetNames, presetFrequencies;
};

// "87.50 MHz" for FM, "999 kHz" for AM and SW.
std::string FrequencyText(std::uint16_t frequency, std::uint8_t band);

// What is on: "FM 87.50 MHz, preset 1, Channel01, stereo, signal 4 of 5", then while recording
// ", recording 00:03:07, 128 kbit/s, FM8750_20261207_120000.mp3", or while a file plays
// "playing FM8750_20261207_120000.mp3, 00:01:02 of 00:30:00".
std::string ReadoutValue(const Facts& facts);
// Where the radio is: "FM 87.50 MHz, preset 1, Channel01, stereo", or "no receiver"; neither the
// signal nor the mute.
std::string StationText(const Facts& facts);

// Name of a button ("Preset 1, Channel01, 87.50 MHz" for the presets), "" for an unknown id.
std::string ButtonName(int id, const Facts& facts);
// The shortcut key of a control ("F1", "Left", "S" ...), "" for none.
std::string Shortcut(int id);

// The controls as a reader meets them, top row first, left to right; the readout follows the
// preset row. Hidden controls (the position slider unless a file plays, the SW button) are left
// out by the caller.
const std::vector<int>& ReadingOrder();

// One element, its state taken from `enabled` (the control can be used now).
Element Describe(int id, const Facts& facts, bool enabled);

}  // namespace accessible
