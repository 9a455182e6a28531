#pragma once
// What the PC settings dialog shows and stores: the wake-up lead before a reservation, the
// hidden keep-awake choice and the after-recording boxes. The scheduler reads the same values
// (PowerSettings.h) when the timer dialog closes.

#include <cstdint>

class SettingsStore;

struct PcSettingsChoice {
  bool wakeUp = false;       // box "Wake up time from sleep(stand by)"
  int wakeLead = 0;          // list entry: 0, 1, 2 = 5, 10, 15 min
  bool autoSuspend = false;  // hidden box "Auto suspend"
  int suspendChoice = 0;     // hidden radios: 0 "NO", 1 "Standby", 2 "Suspend"
  bool standbyAfter = false;
  bool shutdownAfter = false;
  bool closeAfter = false;
  bool letWindowsStart = true;  // box "Let Windows start Kestrune for reservations"
};

// Reads "WAKEUP", "AUTOSPEND", "CLOSE", "SHUTDOWN", "STANDBY" and "TASKSTART". A stored index
// from 0 to 2 turns its box on with that entry; anything else (3, above, or below 0) leaves the box
// off on entry 0. The after-recording boxes show what is stored, several at once if several are on.
PcSettingsChoice LoadPcSettingsChoice(SettingsStore& store);

// Writes "STANDBY", "SHUTDOWN", "CLOSE" ("1"/"0"), then "AUTOSPEND" and "WAKEUP" (the entry
// when the box is on, else "3"), then "TASKSTART" ("1"/"0"), in this order.
void SavePcSettingsChoice(SettingsStore& store, const PcSettingsChoice& choice);

// A click on an after-recording box: it toggles, and when it comes on the other two go off.
enum class AfterBox { Standby, Shutdown, Close };
void ClickAfterBox(PcSettingsChoice& choice, AfterBox box);

// The "AUTOSPEND" value the choice stands for (3 when the box is off).
int AutoSuspendValue(const PcSettingsChoice& choice);
