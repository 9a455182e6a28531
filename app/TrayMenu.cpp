#include "app/TrayMenu.h"

#include "device/BandPlan.h"
#include "settings/SettingsStore.h"

std::string TrayMenuItemText(const std::string& storedName) {
  std::string text = TrimBlanks(storedName);
  if (text.size() > kTrayMenuTextChars - 1) text.resize(kTrayMenuTextChars - 1);
  return text;
}

std::array<std::string, 12> TrayPresetNames(SettingsStore& settings, uint8_t band, uint8_t region) {
  std::array<std::string, 12> names;
  if (band > BandSW) return names;
  const std::string key = PresetKey(band, region);
  for (int n = 1; n <= 12; ++n) names[n - 1] = TrayMenuItemText(settings.ReadValue(key, PresetValueName(n, "ID")));
  return names;
}
