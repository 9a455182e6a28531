#pragma once
// The texts of the timer dialog and the timer list: selector captions, the station list and
// its choice, and the nine columns of a reservation's list row.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class SettingsStore;
struct LocalDate;
struct TimeOfDay;

// Caption of selector button n (1..16): the stored "ITEM" trimmed, or "Reserve record %d";
// every '&' doubled so that it shows as typed instead of underlining the next letter.
std::string ReservationButtonText(const std::string& storedItem, int n);

// What a reader says of the date and time pickers, whose system objects have no value: the date
// with its weekday and month in full ("Monday 7 December 2026"), the time on the 24-hour clock
// ("07:00:00"). A date out of the calendar reads as its numbers.
std::string SpokenDate(const LocalDate& date);
std::string SpokenTime(const TimeOfDay& time);
// The weekday checkboxes' names in full, 0 Sunday to 6 Saturday ("" outside).
const char* WeekdayName(int day);

// Entries of the format list, in "QUALITY" order.
extern const char* const kTimerFormats[4];

// "Mhz" for FM, "Khz" for AM and SW.
const char* TimerUnitText(uint8_t band);
// The same unit as a reader should say it: "MHz", "kHz".
const char* TimerUnitName(uint8_t band);
// What an "Appointed" frequency field shows after a band change: "520", "87.50", "2300".
const char* BandDefaultFrequencyText(uint8_t band);

constexpr const char* kAppointed = "Appointed";

// The station list of a band: "Appointed", then the twelve presets as "CH%02d_ID", a separator
// (one blank for FM, two for AM and SW) and "CH%02d_FRQ", both as stored.
struct StationList {
  std::vector<std::string> entries;      // entry 0 is "Appointed"
  std::vector<std::string> frequencies;  // "CH%02d_FRQ" of each entry; "" for "Appointed"
};
StationList LoadStationList(SettingsStore& store, uint8_t band, uint8_t region);

// What the refill selects and what the frequency field then shows: the last preset whose stored
// frequency equals the reservation's exactly, with the field locked to it; else "Appointed" with
// the field open, holding the reservation's text, or the band's default after a band change.
struct StationChoice {
  int selection = 0;
  std::string frequency;
  bool editable = true;
};
StationChoice ChooseStation(const StationList& list, const std::string& storedFrequency, uint8_t band,
                            bool bandChanged);

// One row of the timer list, columns "Name", "Station", "AM/FM", "Frequency", "Date/Weekly",
// "Start", "Stop", "Format", "ON/OFF", read from reservation n (1..16). With `markNoWake`, a
// reservation that is ON shows kOnNoWake instead of "ON".
constexpr int kTimerListColumns = 9;
using TimerListRow = std::array<std::string, kTimerListColumns>;
TimerListRow ReadTimerListRow(SettingsStore& store, int n, bool markNoWake = false);
// All sixteen rows, reservation 1 first, as one flat list of strings (nine per row). When the
// power plan does not allow wake timers (`wakeTimersBlocked`) while the PC settings wake the PC
// for reservations, every reservation that is ON is marked: the PC will sleep through it.
std::vector<std::string> ReadTimerListRows(SettingsStore& store, bool wakeTimersBlocked = false);
constexpr const char* kOnNoWake = "ON (no wake-up)";

struct TimerListColumn {
  const char* title;
  int width;  // pixels
};
extern const TimerListColumn kTimerListColumnLayout[kTimerListColumns];
