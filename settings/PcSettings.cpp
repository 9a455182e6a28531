#include "settings/PcSettings.h"

#include "settings/PowerSettings.h"
#include "settings/SettingsStore.h"

namespace {
constexpr int kOff = 3;  // "no wake-up" / "power management left alone"

// A stored index in 0..2 is an entry with its box on; any other value is the box off.
void ReadIndex(SettingsStore& store, const char* name, bool& on, int& index) {
  const int value = store.ReadNumber(kGeneralKey, name);
  on = value >= 0 && value < kOff;
  index = on ? value : 0;
}
}  // namespace

PcSettingsChoice LoadPcSettingsChoice(SettingsStore& store) {
  PcSettingsChoice choice;
  ReadIndex(store, "WAKEUP", choice.wakeUp, choice.wakeLead);
  ReadIndex(store, "AUTOSPEND", choice.autoSuspend, choice.suspendChoice);
  choice.closeAfter = store.ReadNumber(kGeneralKey, "CLOSE") != 0;
  choice.shutdownAfter = store.ReadNumber(kGeneralKey, "SHUTDOWN") != 0;
  choice.standbyAfter = store.ReadNumber(kGeneralKey, "STANDBY") != 0;
  choice.letWindowsStart = LoadLetWindowsStart(store);
  return choice;
}

int AutoSuspendValue(const PcSettingsChoice& choice) { return choice.autoSuspend ? choice.suspendChoice : kOff; }

void SavePcSettingsChoice(SettingsStore& store, const PcSettingsChoice& choice) {
  store.WriteNumber(kGeneralKey, "STANDBY", choice.standbyAfter ? 1 : 0);
  store.WriteNumber(kGeneralKey, "SHUTDOWN", choice.shutdownAfter ? 1 : 0);
  store.WriteNumber(kGeneralKey, "CLOSE", choice.closeAfter ? 1 : 0);
  store.WriteNumber(kGeneralKey, "AUTOSPEND", AutoSuspendValue(choice));
  store.WriteNumber(kGeneralKey, "WAKEUP", choice.wakeUp ? choice.wakeLead : kOff);
  store.WriteNumber(kGeneralKey, kLetWindowsStartValue, choice.letWindowsStart ? 1 : 0);
}

void ClickAfterBox(PcSettingsChoice& choice, AfterBox box) {
  bool* const boxes[] = {&choice.standbyAfter, &choice.shutdownAfter, &choice.closeAfter};
  bool& clicked = *boxes[static_cast<int>(box)];
  clicked = !clicked;
  if (!clicked) return;
  for (bool* other : boxes)
    if (other != &clicked) *other = false;
}
