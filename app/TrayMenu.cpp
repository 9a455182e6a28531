#include "app/TrayMenu.h"

#include "device/BandPlan.h"
#include "settings/SettingsStore.h"

std::string TrayMenuItemText(const std::string& storedName, const ICodePage& codePage) {
  // Blanks are below every second byte of a two-byte character: trimming them is safe.
  return CutToBytes(codePage, TrimBlanks(storedName), kTrayMenuTextChars - 1);
}

std::array<std::string, 12> TrayPresetNames(SettingsStore& settings, uint8_t band, uint8_t region,
                                            const ICodePage& codePage) {
  std::array<std::string, 12> names;
  if (band > BandSW) return names;
  const std::string key = PresetKey(band, region);
  for (int n = 1; n <= 12; ++n) names[n - 1] = TrayMenuItemText(settings.ReadValue(key, PresetValueName(n, "ID")), codePage);
  return names;
}
