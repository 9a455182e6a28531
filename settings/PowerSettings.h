#pragma once
// What the PC settings dialog stores about power: the wake-up lead before a reservation, the
// keep-awake choice and the one action after a scheduled recording. The main window loads them
// at start-up and whenever the timer dialog closes.

#include <cstdint>

#include "settings/RadioState.h"

class SettingsStore;

struct PowerSettings {
  int wakeUp = 3;       // "WAKEUP": 0, 1, 2 = 5, 10, 15 minutes ahead; 3 and above = no wake-up
  int autoSuspend = 3;  // "AUTOSPEND": 0 keeps the computer and the display awake
  AfterRecording afterRecording = AfterRecording::None;
};

// Reads "WAKEUP", "AUTOSPEND", "CLOSE", "SHUTDOWN", "STANDBY" in this order.
PowerSettings LoadPowerSettings(SettingsStore& store);

// Re-reads "AUTOSPEND" alone (after the preferences dialog).
int LoadAutoSuspend(SettingsStore& store);

// SetThreadExecutionState flags for an auto-suspend value: ES_CONTINUOUS | ES_SYSTEM_REQUIRED |
// ES_DISPLAY_REQUIRED while it is 0, else ES_CONTINUOUS alone (power management left alone).
constexpr uint32_t kExecutionContinuous = 0x80000000u;
constexpr uint32_t kExecutionKeepAwake = 0x80000003u;
constexpr uint32_t KeepAwakeExecutionState(int autoSuspend) {
  return autoSuspend == 0 ? kExecutionKeepAwake : kExecutionContinuous;
}
