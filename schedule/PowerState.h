#pragma once
// The power settings in force and whether the computer is going to or coming back from standby.
// The window loads the settings and applies the keep-awake rule once a second; the scheduler reads
// the wake-up lead and the after-recording action, and marks the standby while the window's
// timers must do nothing.

#include "schedule/SchedulerPorts.h"
#include "settings/PowerSettings.h"

class SettingsStore;

class PowerState {
 public:
  explicit PowerState(IPowerControl& power) : power_(power) {}
  PowerState(const PowerState&) = delete;
  PowerState& operator=(const PowerState&) = delete;

  // Every power setting from the registry; the keep-awake rule is applied at once.
  void Load(SettingsStore& store);
  // "AUTOSPEND" alone, as the preferences dialog may have changed it.
  void ReloadAutoSuspend(SettingsStore& store) { settings_.autoSuspend = LoadAutoSuspend(store); }
  // The stored keep-awake choice, and the system kept from sleeping while the hold is on.
  void ApplyKeepAwake() {
    power_.SetExecutionState(KeepAwakeExecutionState(settings_.autoSuspend) |
                             (holdAwake_ ? kExecutionSystemRequired : 0u));
  }
  // On while a recording runs and from a wake-up until the occurrence it was for has started:
  // Windows sends a PC it woke by itself back to sleep after about two minutes otherwise.
  void SetHoldAwake(bool hold) { holdAwake_ = hold; }
  bool HoldAwake() const { return holdAwake_; }
  const PowerSettings& Settings() const { return settings_; }

  bool Suspended() const { return suspended_; }
  void SetSuspended(bool suspended) { suspended_ = suspended; }

 private:
  IPowerControl& power_;
  PowerSettings settings_;
  bool suspended_ = false;
  bool holdAwake_ = false;
};
