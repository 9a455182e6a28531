#include "demo/DemoStations.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return true;
}

// Reach of a station either side of its frequency, in the band's unit: FM 200 kHz, AM 6 kHz,
// SW 4 kHz; within a third of it the station comes in clean.
int Reach(uint8_t band) { return band == 1 ? 20 : band == 0 ? 6 : 4; }

}  // namespace

std::vector<DemoStation> ParseStationIndex(std::string_view text) {
  std::vector<DemoStation> stations;
  std::istringstream lines{std::string(text)};
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string band, name;
    long frequency = -1, signal = -1;
    if (!(fields >> band >> frequency >> signal)) continue;
    std::getline(fields >> std::ws, name);
    DemoStation station;
    if (band == "AM") station.band = 0;
    else if (band == "FM") station.band = 1;
    else if (band == "SW") station.band = 2;
    else continue;
    if (frequency <= 0 || frequency > 65535 || name.empty()) continue;
    station.frequency = static_cast<uint16_t>(frequency);
    station.signal = static_cast<uint8_t>(std::clamp(signal, 1L, 100L));
    station.name = name;
    stations.push_back(std::move(station));
  }
  return stations;
}

bool ParsePcmWav(const std::vector<uint8_t>& bytes, std::vector<int16_t>& samples) {
  samples.clear();
  if (bytes.size() < 12 || std::string(bytes.begin(), bytes.begin() + 4) != "RIFF" ||
      std::string(bytes.begin() + 8, bytes.begin() + 12) != "WAVE")
    return false;
  bool formatOk = false;
  size_t at = 12;
  while (at + 8 <= bytes.size()) {
    const std::string id(bytes.begin() + at, bytes.begin() + at + 4);
    const uint32_t size = Le32(&bytes[at + 4]);
    const size_t body = at + 8;
    if (size > bytes.size() - body) return false;
    if (id == "fmt ") {
      if (size < 16) return false;
      const uint8_t* f = &bytes[body];
      // WAVE_FORMAT_PCM, or WAVE_FORMAT_EXTENSIBLE whose sub-format sox writes for PCM as well.
      const uint16_t tag = Le16(f);
      formatOk = (tag == 1 || tag == 0xFFFE) && Le16(f + 2) == 2 && Le32(f + 4) == 16000 && Le16(f + 14) == 16;
      if (!formatOk) return false;
    } else if (id == "data") {
      if (!formatOk) return false;
      samples.resize(size / 4 * 2);
      for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(Le16(&bytes[body + 2 * i]));
      return true;
    }
    at = body + size + (size & 1);
  }
  return false;
}

std::string StationSoundName(const DemoStation& station) {
  static const char* const kBands[] = {"AM", "FM", "SW"};
  char number[8];
  std::snprintf(number, sizeof number, "%04u", static_cast<unsigned>(station.frequency));
  return std::string(kBands[std::min<int>(station.band, 2)]) + number + ".wav";
}

std::vector<DemoStation> LoadDemoStations(const std::string& folder) {
  std::vector<uint8_t> index;
  if (!ReadFile(folder + "/stations.txt", index)) return {};
  std::vector<DemoStation> stations = ParseStationIndex(std::string(index.begin(), index.end()));
  for (DemoStation& station : stations) {
    std::vector<uint8_t> bytes;
    if (ReadFile(folder + "/" + StationSoundName(station), bytes)) ParsePcmWav(bytes, station.sound);
  }
  return stations;
}

Reception ReceptionAt(const std::vector<DemoStation>& stations, uint8_t band, uint16_t frequency) {
  Reception best;
  const int reach = Reach(band);
  int bestDistance = reach + 1;
  for (const DemoStation& station : stations) {
    if (station.band != band) continue;
    const int distance = std::abs(int(station.frequency) - int(frequency));
    if (distance < bestDistance) {
      bestDistance = distance;
      best.station = &station;
    }
  }
  if (!best.station) {
    best.signal = kDemoNoiseSignal;
    return best;
  }
  const int clean = reach / 3;
  best.clarity = bestDistance <= clean ? 1.0 : double(reach + 1 - bestDistance) / double(reach + 1 - clean) * 0.6;
  // Off the station the signal drops below a seek's stopping strength.
  const double signal = bestDistance == 0 ? best.station->signal : best.station->signal * best.clarity * 0.3;
  best.signal = static_cast<uint8_t>(std::max<double>(kDemoNoiseSignal, signal));
  return best;
}
