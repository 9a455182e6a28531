#include "settings/TimerSetting.h"

#include <cstdio>


namespace {

// Two characters of a stored date or time, converted as every stored number is.
int Field(const std::string& text, size_t at, size_t length) { return StrToIntLike(text.substr(at, length)); }

TimeOfDay ReadTime(SettingsStore& store, const std::string& key, const char* name, const TimeOfDay& now) {
  const std::string text = store.ReadValue(key, name);
  if (text.size() < 6) return now;
  return {Field(text, 0, 2), Field(text, 2, 2), Field(text, 4, 2)};
}

std::string TimeText(const TimeOfDay& t) {
  char text[48];
  std::snprintf(text, sizeof text, "%02d%02d%02d", t.hour, t.minute, t.second);
  return text;
}

}  // namespace

std::string TimerKey(int n) {
  char key[32];
  std::snprintf(key, sizeof key, "TIMER_SETTING%02d", n);
  return key;
}

TimerSetting LoadReservation(SettingsStore& store, int n, const LocalDate& today, const TimeOfDay& now) {
  const std::string key = TimerKey(n);
  TimerSetting t;
  t.item = TrimBlanks(store.ReadValue(key, "ITEM"));
  t.active = store.ReadNumber(key, "ACTIVE") > 0 ? 1 : 0;
  const auto band = static_cast<uint8_t>(StrToIntLike(TrimBlanks(store.ReadValue(key, "ISAMFM"))));
  t.band = band > BandSW ? static_cast<uint8_t>(BandSW) : band;
  t.frequency = TrimBlanks(store.ReadValue(key, "FREQ"));
  if (t.frequency.empty() && t.band == BandFM) t.frequency = "87.5";
  const int quality = store.ReadNumber(key, "QUALITY");
  t.quality = quality >= 0 && quality <= 3 ? quality : 3;
  t.dateType = store.ReadNumber(key, "DATETYPE") > 0 ? 1 : 0;
  const std::string date = store.ReadValue(key, "DATE");
  t.date = date.size() >= 8 ? LocalDate{Field(date, 0, 4), Field(date, 4, 2), Field(date, 6, 2)} : today;
  const std::string week = store.ReadValue(key, "WEEK");
  for (size_t d = 0; d < t.week.size(); ++d) t.week[d] = d < week.size() && week[d] != '0';
  t.start = ReadTime(store, key, "STARTTIME", now);
  t.stop = ReadTime(store, key, "ENDSTART", now);
  t.station = store.ReadValue(key, "NAME");
  return t;
}

bool SaveReservation(SettingsStore& store, int n, const TimerSetting& edited, uint8_t region,
                     IDialogMessage& message) {
  const std::string key = TimerKey(n);
  store.WriteValue(key, "ITEM", TrimBlanks(edited.item));
  store.WriteNumber(key, "ACTIVE", edited.active);
  store.WriteNumber(key, "ISAMFM", edited.band);
  std::string frequency = edited.frequency;
  if (!NormaliseFrequencyText(frequency, region, edited.band)) {
    message.Show(FrequencyErrorMessage(edited.frequency));
    return false;
  }
  store.WriteValue(key, "FREQ", frequency);
  store.WriteNumber(key, "QUALITY", edited.quality);
  store.WriteNumber(key, "DATETYPE", edited.dateType);
  // A station entry is "name<blank>frequency"; one that begins with a blank is kept whole.
  const size_t blank = edited.station.find(' ');
  store.WriteValue(key, "NAME", blank == 0 || blank == std::string::npos ? edited.station : edited.station.substr(0, blank));
  char text[64];
  if (edited.dateType == 0) {
    std::snprintf(text, sizeof text, "%04d%02d%02d", edited.date.year, edited.date.month, edited.date.day);
    store.WriteValue(key, "DATE", text);
  } else {
    const auto& w = edited.week;
    std::snprintf(text, sizeof text, "%1d%1d%1d%1d%1d%1d%1d", w[0], w[1], w[2], w[3], w[4], w[5], w[6]);
    store.WriteValue(key, "WEEK", text);
  }
  store.WriteValue(key, "STARTTIME", TimeText(edited.start));
  store.WriteValue(key, "ENDSTART", TimeText(edited.stop));
  return true;
}

bool NormaliseFrequencyText(std::string& text, uint8_t region, uint8_t band) {
  text = TrimBlanks(text);
  if (text.empty()) return false;
  if (const size_t point = text.rfind('.'); point != std::string::npos) {
    while (text.size() - point - 1 < 2) text += '0';
  }
  std::erase(text, '.');
  if (band > BandSW) return false;
  const int value = StrToIntLike(text);
  const BandLimits limits = GetBandLimits(band, region);
  if (value < limits.lower || value > limits.upper || (value - limits.lower) % limits.step != 0) return false;
  text = FrequencySettingsText(static_cast<uint16_t>(value));
  return true;
}

std::string FrequencyErrorMessage(const std::string& typed) { return "frequency " + typed + " setting error!"; }
