#pragma once
// The receiver's HID reports. Feature reports go host to device; the input report carries the
// tuned frequency and a signal strength. Multi-byte values are big-endian.

#include <array>
#include <cstddef>
#include <cstdint>

constexpr size_t kReportLength = 64;  // every report of the receiver, id included

enum ReportId : uint8_t {
  kReportTune = 0x02,
  kReportBandCompletion = 0x05,
  kReportStereoMode = 0x06,
  kReportSeek = 0x09,
  kReportBandSelect = 0x0A,
  kReportPower = 0x13,
  kReportConfiguration = 0x14,
};

enum class SeekDirection : uint8_t { Up = 0x01, Down = 0x02 };

// The 64-byte configuration block (report 0x14) of a region: 0 USA, 1 Europe, anything else Japan.
const std::array<uint8_t, kReportLength>& RegionConfigBlock(uint8_t region);

// Band code of the band select report. AM: USA 0x81, Europe 0x82, Japan (and above) 0x80;
// FM: 0x00, 0x03, 0x02; SW (and any band above 2): 0x87.
uint8_t BandSelectCode(uint8_t band, uint8_t region);

// Short reports: the meaningful leading bytes only. The sender writes them over the start of the
// report buffer and sends the whole buffer.
struct ShortReport {
  uint8_t bytes[5];
  uint8_t length;
};
ShortReport TuneReport(uint16_t freq);
ShortReport BandSelectReport(uint8_t band, uint8_t region);
ShortReport BandCompletionReport();
ShortReport SeekReport(SeekDirection direction);
ShortReport StereoModeReport(bool stereo);
ShortReport PowerUpReport();
ShortReport PowerDownReport();

// Input report (status) fields.
struct StatusReport {
  uint8_t signal;
  uint16_t frequency;
};
StatusReport DecodeStatus(const uint8_t (&report)[kReportLength]);

// Signal meter, 0 to 5 bars, from the status signal byte.
int SignalLevel(uint8_t signal);
