#pragma once
// The main window's modal dialogs: preferences and the timer settings, each over the active
// window and with its own settings store on the same registry.

#include "app/MainWindowPorts.h"

class IKeyValueTree;

class SettingsDialogs final : public IWindowDialogs {
 public:
  explicit SettingsDialogs(IKeyValueTree& tree) : tree_(tree) {}
  bool RunPreferences(uint8_t region, uint8_t band, PreferencesResult& result) override;
  void RunTimerDialog(uint8_t region) override;

 private:
  IKeyValueTree& tree_;
};
