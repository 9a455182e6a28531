#pragma once
// The fixed rules of manual recordings: bit rates, file names, the Record menus' limits and
// labels. Pure functions.

#include <cstdint>
#include <string>

#include "base/Clock.h"

// kbit/s of the MP3BPS index 0..3 (320, 192, 128, 64). An index above 3 is corrected to 2 in
// place first.
uint16_t RecordingBitrate(uint8_t& index);
// "%d Kbps".
std::string BitrateText(uint16_t kbps);

// "\FM%04d_%04d%02d%02d_%02d%02d%02d.mp3" with the frequency and the local time; "AM" and "SW"
// for those bands (the frequency field widens past four digits). Appended to the record folder.
std::string RecordingFileName(uint8_t band, uint16_t frequency, const LocalTime& time);

// Time limit in seconds of a start (32802..32806) or stop-after (32808..32811) command; 0 for
// the open-ended start and for "Stop Recording".
uint16_t RecordCommandLimit(int command);
// Label shown before the elapsed time: "REC ", "REC 15Min" ... for the starts, "REC Stop15Min"
// ... for the stop-afters; empty for "Stop Recording".
std::string RecordCommandLabel(int command);

// Static 1128 when a recording starts: "00:00:00".
std::string ElapsedText(uint8_t hours, uint8_t minutes, uint8_t seconds);
