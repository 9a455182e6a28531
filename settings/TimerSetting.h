#pragma once
// The sixteen timer reservations, each in its own key "TIMER_SETTING01" … "TIMER_SETTING16".
// The timer dialog reads one into a TimerSetting, lets the user edit it and writes it back;
// the scheduler reads the same values with its own, stricter rules (schedule/ScheduleTable.h).

#include <array>
#include <cstdint>
#include <string>

#include "device/BandPlan.h"
#include "settings/SettingsStore.h"

constexpr int kTimerSettingCount = 16;

struct TimeOfDay {
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// One reservation as the timer dialog shows and edits it.
struct TimerSetting {
  std::string item;           // "ITEM": the reservation's own name, trimmed
  int active = 0;             // "ACTIVE": 0 or 1 (the "ON" box)
  uint8_t band = 1;           // "ISAMFM": 0 AM, 1 FM, 2 SW
  std::string frequency;      // "FREQ": the frequency field's text
  int quality = 2;            // "QUALITY": 0 = 320, 1 = 192, 2 = 128, 3 = 64 kbit/s
  int dateType = 1;           // "DATETYPE": 0 one date, 1 weekly
  LocalDate date{};           // "DATE"
  std::array<bool, 7> week{};  // "WEEK": Sunday first
  TimeOfDay start;            // "STARTTIME"
  TimeOfDay stop;             // "ENDSTART"
  // "NAME". Loaded: as stored. Saved: the selected station entry's text (preset name, blank,
  // frequency, or "Appointed"), of which the part before the first blank is stored.
  std::string station;
};

// "TIMER_SETTING%02d" for n = 1 … 16.
std::string TimerKey(int n);

// Reads reservation n (1 … 16) with the dialog's rules: name and frequency trimmed, an empty
// FM frequency shows "87.5"; band above 2 is SW; a quality outside 0 … 3 is the 64 kbit/s the
// scheduler records at; any date type above 0 is weekly; every weekday character other than
// '0' is on; a "DATE" shorter than 8 characters is `today` and a time shorter than 6
// characters is `now`.
TimerSetting LoadReservation(SettingsStore& store, int n, const LocalDate& today, const TimeOfDay& now);

// Writes the edited reservation n: ITEM, ACTIVE, ISAMFM, then the frequency check, then FREQ,
// QUALITY, DATETYPE, NAME, DATE or WEEK (by the date type), STARTTIME, ENDSTART. A frequency
// that fails the check shows FrequencyErrorMessage through `message` and stops there (the
// first three values are already written): the result is false.
bool SaveReservation(SettingsStore& store, int n, const TimerSetting& edited, uint8_t region,
                     IDialogMessage& message);

// Checks a typed frequency for a band and region and rewrites it into the stored form: blanks
// trimmed, the part after the last '.' filled to two digits, the points removed; a value on the
// band's grid is then stored as "%d" ("87.5", "87.50" and "8750" all become "8750"). Fails for
// empty text, a value off the band or its grid, and a band other than 0, 1, 2.
bool NormaliseFrequencyText(std::string& text, uint8_t region, uint8_t band);

// "frequency " + the field as the user left it + " setting error!".
std::string FrequencyErrorMessage(const std::string& typed);
