#pragma once
// Whether the active power plan lets a timer wake the PC: Windows' "Allow wake timers" (Sleep,
// in the plan's advanced settings), one value on mains and one on battery. Kestrune's wake-up and
// the task that starts it for a reservation are ordinary wake timers, so "important wake timers
// only" keeps the PC asleep for them as "disable" does. Plain rules here; the Win32 adapter
// (settings/win32/Win32PowerPlan) reads the plan and opens Windows' power options.

#include <string>

enum class WakeTimerSetting { Unknown, Disabled, Enabled, ImportantOnly };

struct WakeTimerReading {
  WakeTimerSetting mains = WakeTimerSetting::Unknown;
  WakeTimerSetting battery = WakeTimerSetting::Unknown;
  bool hasBattery = false;  // the PC has a system battery (a laptop); a desktop's battery value means nothing
  bool onBattery = false;   // it runs on that battery now
};

// The active power plan, as the dialogs and the scheduler's log ask it.
class IPowerPlan {
 public:
  virtual ~IPowerPlan() = default;
  // Unknown wherever the system does not say.
  virtual WakeTimerReading ReadWakeTimers() = 0;
  // Opens Windows' power options where wake timers are allowed; false when it could not.
  virtual bool OpenPowerOptions() = 0;
};

// The plan's stored index of "Allow wake timers": 0 disable, 1 enable, 2 important wake timers
// only (Windows 10 and later); anything else, or an index the system did not give, is Unknown.
WakeTimerSetting WakeTimerSettingOf(bool read, unsigned long index);

// Whether anything is known worth showing.
bool WakeTimersKnown(const WakeTimerReading& reading);

// Whether the plan keeps the PC from waking for a reservation on mains or, for a PC with a
// battery, on battery. Unknown values block nothing: nothing is claimed that the system did not say.
bool WakeTimersBlocked(const WakeTimerReading& reading);

// The dialogs' line, "Allow wake timers (power plan): plugged in enabled, on battery disabled";
// the battery part only for a PC that has one, an unknown part left out. Empty when nothing is known.
std::string WakeTimerLine(const WakeTimerReading& reading);

// What the log adds to the line of an armed wake timer when the plan will not let it wake the PC
// on the power it runs on now; empty when it may, or when that is not known.
std::string WakeTimerLogNote(const WakeTimerReading& reading);
