#include "settings/TimerDialogTexts.h"

#include <cstdio>

#include "device/BandPlan.h"
#include "settings/PowerSettings.h"
#include "settings/SettingsStore.h"
#include "settings/TimerSetting.h"

namespace {

constexpr const char* kWeekdays[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
constexpr const char* kMonths[12] = {"January", "February", "March",     "April",   "May",      "June",
                                     "July",    "August",   "September", "October", "November", "December"};

// 0 Sunday .. 6 Saturday, of the proleptic Gregorian calendar (Sakamoto's method).
int DayOfWeek(int year, int month, int day) {
  static constexpr int offsets[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 3) --year;
  const int weekday = (year + year / 4 - year / 100 + year / 400 + offsets[month - 1] + day) % 7;
  return weekday < 0 ? weekday + 7 : weekday;
}

}  // namespace

const char* WeekdayName(int day) { return day >= 0 && day < 7 ? kWeekdays[day] : ""; }

std::string SpokenDate(const LocalDate& date) {
  char text[64];
  if (date.year < 1601 || date.year > 30827 || date.month < 1 || date.month > 12 || date.day < 1 || date.day > 31) {
    std::snprintf(text, sizeof text, "%d-%02d-%02d", date.year, date.month, date.day);
    return text;
  }
  std::snprintf(text, sizeof text, "%s %d %s %d", kWeekdays[DayOfWeek(date.year, date.month, date.day)], date.day,
                kMonths[date.month - 1], date.year);
  return text;
}

std::string SpokenTime(const TimeOfDay& time) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", time.hour, time.minute, time.second);
  return text;
}

namespace {

std::string Numbered(const char* format, int n) {
  char text[48];
  std::snprintf(text, sizeof text, format, n);
  return text;
}

// Inserts `mark` after the characters at the given positions that the text actually has.
std::string Punctuated(const std::string& text, size_t first, size_t second, char mark) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (i == first || i == second) out += mark;
    out += text[i];
  }
  return out;
}

}  // namespace

const char* const kTimerFormats[4] = {"MP3 320 Kbps", "MP3 192 Kbps", "MP3 128 Kbps", "MP3  64 Kbps"};

const TimerListColumn kTimerListColumnLayout[kTimerListColumns] = {
    {"Name", 140}, {"Station", 80}, {"AM/FM", 50}, {"Frequency", 80}, {"Date/Weekly", 175},
    {"Start", 70}, {"Stop", 70},    {"Format", 60}, {"ON/OFF", 95}};

std::string ReservationButtonText(const std::string& storedItem, int n) {
  const std::string item = TrimBlanks(storedItem);
  if (item.empty()) return Numbered("Reserve record %d", n);
  std::string caption;
  for (char c : item) {
    caption += c;
    if (c == '&') caption += '&';
  }
  return caption;
}

const char* TimerUnitText(uint8_t band) { return band == BandFM ? "Mhz" : "Khz"; }
const char* TimerUnitName(uint8_t band) { return band == BandFM ? "MHz" : "kHz"; }

const char* BandDefaultFrequencyText(uint8_t band) {
  switch (band) {
    case BandAM: return "520";
    case BandFM: return "87.50";
    default: return "2300";
  }
}

StationList LoadStationList(SettingsStore& store, uint8_t band, uint8_t region) {
  StationList list;
  list.entries.push_back(kAppointed);
  list.frequencies.emplace_back();
  const std::string key = PresetKey(band, region);
  const char* separator = band == BandFM ? " " : "  ";
  for (int n = 1; n <= 12; ++n) {
    const std::string name = store.ReadValue(key, PresetValueName(n, "ID"));
    const std::string frequency = store.ReadValue(key, PresetValueName(n, "FRQ"));
    list.entries.push_back(name + separator + frequency);
    list.frequencies.push_back(frequency);
  }
  return list;
}

StationChoice ChooseStation(const StationList& list, const std::string& storedFrequency, uint8_t band,
                            bool bandChanged) {
  StationChoice choice;
  for (size_t i = 1; i < list.frequencies.size(); ++i)
    if (list.frequencies[i] == storedFrequency) choice.selection = static_cast<int>(i);
  if (choice.selection != 0) {
    choice.frequency = storedFrequency;
    choice.editable = false;
  } else {
    choice.frequency = bandChanged ? BandDefaultFrequencyText(band) : storedFrequency;
  }
  return choice;
}

TimerListRow ReadTimerListRow(SettingsStore& store, int n, bool markNoWake) {
  const std::string key = TimerKey(n);
  auto value = [&](const char* name) { return store.ReadValue(key, name); };
  TimerListRow row;
  row[0] = TrimBlanks(value("ITEM"));
  if (row[0].empty()) row[0] = Numbered("Reserve %d", n);
  row[1] = value("NAME");
  if (row[1] == kAppointed) row[1].clear();
  const std::string band = value("ISAMFM");
  row[2] = band == "0" ? "AM" : band == "1" ? "FM" : "SW";
  row[3] = TimerListFrequencyText(value("FREQ"), row[2] == "FM" ? BandFM : BandAM);
  if (value("DATETYPE") == "0") {
    row[4] = Punctuated(value("DATE"), 4, 6, '-');
  } else {
    static const char* const kDays[7] = {"SUN ", "MON ", "TUE ", "WED ", "THE ", "FRI ", "SAT "};
    const std::string week = value("WEEK");
    for (size_t day = 0; day < 7 && day < week.size(); ++day)
      if (week[day] == '1') row[4] += kDays[day];
  }
  row[5] = Punctuated(value("STARTTIME"), 2, 4, ':');
  row[6] = Punctuated(value("ENDSTART"), 2, 4, ':');
  const std::string quality = value("QUALITY");
  row[7] = quality == "0" ? "320 Kbps" : quality == "1" ? "192 Kbps" : quality == "2" ? "128 Kbps" : "64  Kps";
  row[8] = value("ACTIVE") == "1" ? (markNoWake ? kOnNoWake : "ON") : "OFF";
  return row;
}

std::vector<std::string> ReadTimerListRows(SettingsStore& store, bool wakeTimersBlocked) {
  const bool markNoWake = wakeTimersBlocked && WakesForReservations(LoadPowerSettings(store).wakeUp);
  std::vector<std::string> rows;
  for (int n = 1; n <= 16; ++n)
    for (auto& text : ReadTimerListRow(store, n, markNoWake)) rows.push_back(std::move(text));
  return rows;
}
