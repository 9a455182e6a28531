#pragma once
// The demo receiver's stations: an index of band, frequency, signal strength and name, and each
// station's programme as a loop of 16 kHz stereo PCM. The index and the sounds are made by
// scripts/demo-stations.sh (spoken names over a sound bed) and read from one folder.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct DemoStation {
  uint8_t band = 0;        // Band: 0 AM, 1 FM, 2 SW
  uint16_t frequency = 0;  // in the band's unit, as the tune report carries it
  uint8_t signal = 0;      // status signal byte when tuned exactly
  std::string name;
  std::vector<int16_t> sound;  // interleaved stereo, 16000 frames a second; may be empty
};

// One station a line: "<AM|FM|SW> <frequency> <signal> <name...>". Blank lines, lines starting
// with '#' and malformed lines are skipped; signals are clamped to 1..100.
std::vector<DemoStation> ParseStationIndex(std::string_view text);

// A RIFF/WAVE file of 16-bit PCM, 16000 Hz, two channels, into interleaved samples. False (and
// `samples` empty) for any other format or a truncated file.
bool ParsePcmWav(const std::vector<uint8_t>& bytes, std::vector<int16_t>& samples);

// "FM8930.wav": the sound file name of a station in the folder.
std::string StationSoundName(const DemoStation& station);

// `folder`/stations.txt and each station's sound beside it. A missing index gives no stations; a
// missing or unreadable sound leaves that station silent but tunable.
std::vector<DemoStation> LoadDemoStations(const std::string& folder);

// What the receiver picks up at `frequency`: the nearest station of the band within reach, and
// how clearly (1 on the station, falling to 0 at the edge of its reach).
struct Reception {
  const DemoStation* station = nullptr;
  double clarity = 0;
  uint8_t signal = 0;  // status signal byte
};
constexpr uint8_t kDemoNoiseSignal = 4;
Reception ReceptionAt(const std::vector<DemoStation>& stations, uint8_t band, uint16_t frequency);
