#include "settings/PowerSettings.h"

#include "settings/SettingsStore.h"

PowerSettings LoadPowerSettings(SettingsStore& store) {
  PowerSettings settings;
  settings.wakeUp = store.ReadNumber(kGeneralKey, "WAKEUP");
  settings.autoSuspend = LoadAutoSuspend(store);
  settings.afterRecording = LoadAfterRecording(store);
  settings.letWindowsStart = LoadLetWindowsStart(store);
  return settings;
}

bool LoadLetWindowsStart(SettingsStore& store) {
  const std::string text = TrimBlanks(store.ReadOptionalValue(kGeneralKey, kLetWindowsStartValue));
  return text.empty() || StrToIntLike(text) != 0;
}

int LoadAutoSuspend(SettingsStore& store) { return store.ReadNumber(kGeneralKey, "AUTOSPEND"); }
