#include "settings/WakeTimers.h"

namespace {

bool Blocks(WakeTimerSetting setting) {
  return setting == WakeTimerSetting::Disabled || setting == WakeTimerSetting::ImportantOnly;
}

const char* Word(WakeTimerSetting setting) {
  switch (setting) {
    case WakeTimerSetting::Disabled: return "disabled";
    case WakeTimerSetting::Enabled: return "enabled";
    case WakeTimerSetting::ImportantOnly: return "important only";
    case WakeTimerSetting::Unknown: break;
  }
  return "";
}

}  // namespace

WakeTimerSetting WakeTimerSettingOf(bool read, unsigned long index) {
  if (!read) return WakeTimerSetting::Unknown;
  switch (index) {
    case 0: return WakeTimerSetting::Disabled;
    case 1: return WakeTimerSetting::Enabled;
    case 2: return WakeTimerSetting::ImportantOnly;
    default: return WakeTimerSetting::Unknown;
  }
}

bool WakeTimersKnown(const WakeTimerReading& reading) {
  return reading.mains != WakeTimerSetting::Unknown ||
         (reading.hasBattery && reading.battery != WakeTimerSetting::Unknown);
}

bool WakeTimersBlocked(const WakeTimerReading& reading) {
  return Blocks(reading.mains) || (reading.hasBattery && Blocks(reading.battery));
}

std::string WakeTimerLine(const WakeTimerReading& reading) {
  if (!WakeTimersKnown(reading)) return {};
  std::string line = "Allow wake timers (power plan): ";
  if (reading.mains != WakeTimerSetting::Unknown) line += std::string("plugged in ") + Word(reading.mains);
  if (reading.hasBattery && reading.battery != WakeTimerSetting::Unknown) {
    if (reading.mains != WakeTimerSetting::Unknown) line += ", ";
    line += std::string("on battery ") + Word(reading.battery);
  }
  return line;
}

std::string WakeTimerLogNote(const WakeTimerReading& reading) {
  const bool battery = reading.hasBattery && reading.onBattery;
  const WakeTimerSetting now = battery ? reading.battery : reading.mains;
  if (!Blocks(now)) return {};
  return std::string(", but the power plan's wake timers are ") + Word(now) + (battery ? " on battery" : " plugged in") +
         ": Windows may not wake the PC";
}
