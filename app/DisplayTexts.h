#pragma once
// Texts of the main window's display: button tooltips, preset tooltips and the recording clock.

#include <cstdint>
#include <string>

namespace display {

// Fixed tooltip of a skinned button; nullptr for buttons without one. 1032 follows `stereo`.
const char* ButtonTip(int id, std::uint8_t stereo);
// Ids that get a fixed tooltip, in the order they are applied.
constexpr int kTipIds[] = {1000, 1013, 1014, 1015, 1016, 1017, 999, 1018, 1021, 1019, 1020, 1023, 1025, 1024, 1032};

// "name : frequency" for preset button n (1..12): the name trimmed, or "CH03" when empty; the
// stored frequency text with "." before its last two characters and "Mhz" for FM, "Khz" else.
std::string PresetTip(int n, std::uint8_t band, const std::string& storedName, const std::string& storedFrequency);

// Static 1128 during a recording: label + "   hh:mm:ss", or "REC    hh:mm:ss" without a label.
std::string RecordingTimeText(const std::string& label, std::uint64_t elapsedSeconds);

}  // namespace display
