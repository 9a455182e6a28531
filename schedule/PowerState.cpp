#include "schedule/PowerState.h"

void PowerState::Load(SettingsStore& store) {
  settings_ = LoadPowerSettings(store);
  ApplyKeepAwake();
}
