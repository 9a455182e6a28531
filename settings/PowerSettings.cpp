#include "settings/PowerSettings.h"

#include "settings/SettingsStore.h"

PowerSettings LoadPowerSettings(SettingsStore& store) {
  PowerSettings settings;
  settings.wakeUp = store.ReadNumber(kGeneralKey, "WAKEUP");
  settings.autoSuspend = LoadAutoSuspend(store);
  settings.afterRecording = LoadAfterRecording(store);
  return settings;
}

int LoadAutoSuspend(SettingsStore& store) { return store.ReadNumber(kGeneralKey, "AUTOSPEND"); }
