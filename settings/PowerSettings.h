#pragma once
// What the PC settings dialog stores about power: the wake-up lead before a reservation, the
// keep-awake choice, the one action after a scheduled recording and whether Windows may start the
// program for a reservation. The main window loads them at start-up and whenever the timer dialog
// closes.

#include <cstdint>

#include "settings/RadioState.h"

class SettingsStore;

struct PowerSettings {
  int wakeUp = 3;       // "WAKEUP": 0, 1, 2 = 5, 10, 15 minutes ahead; 3 and above = no wake-up
  int autoSuspend = 3;  // "AUTOSPEND": 0 keeps the computer and the display awake
  AfterRecording afterRecording = AfterRecording::None;
  bool letWindowsStart = true;  // kLetWindowsStartValue
};

// The value beside the other PC settings that lets Windows' Task Scheduler start the program for
// the next reservation. A text that reads as the number 0 (as every stored number is read) is off;
// any other number is on, and so is a missing or empty value, as every settings key written
// before the value existed has it.
constexpr const char* kLetWindowsStartValue = "TASKSTART";
bool LoadLetWindowsStart(SettingsStore& store);

// Whether a "WAKEUP" value wakes the PC before a reservation (0, 1, 2) or not (anything else).
constexpr bool WakesForReservations(int wakeUp) { return wakeUp >= 0 && wakeUp <= 2; }

// Reads "WAKEUP", "AUTOSPEND", "CLOSE", "SHUTDOWN", "STANDBY" and "TASKSTART" in this order.
PowerSettings LoadPowerSettings(SettingsStore& store);

// Re-reads "AUTOSPEND" alone (after the preferences dialog).
int LoadAutoSuspend(SettingsStore& store);

// SetThreadExecutionState flags for an auto-suspend value: ES_CONTINUOUS | ES_SYSTEM_REQUIRED |
// ES_DISPLAY_REQUIRED while it is 0, else ES_CONTINUOUS alone (power management left alone).
constexpr uint32_t kExecutionContinuous = 0x80000000u;
constexpr uint32_t kExecutionKeepAwake = 0x80000003u;
constexpr uint32_t kExecutionSystemRequired = 0x00000001u;
constexpr uint32_t KeepAwakeExecutionState(int autoSuspend) {
  return autoSuspend == 0 ? kExecutionKeepAwake : kExecutionContinuous;
}
