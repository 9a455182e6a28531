#pragma once
// The main window's modal dialogs: preferences and the timer settings, each over the active
// window and with its own settings store on the same registry. The PC settings reached from the
// timer settings apply their keep-awake rule through the program's power adapter.

#include <cstdint>
#include <functional>

#include "app/MainWindowPorts.h"

class IKeyValueTree;

class SettingsDialogs final : public IWindowDialogs {
 public:
  SettingsDialogs(IKeyValueTree& tree, std::function<void(uint32_t)> setExecutionState)
      : tree_(tree), setExecutionState_(std::move(setExecutionState)) {}
  bool RunPreferences(uint8_t region, uint8_t band, PreferencesResult& result) override;
  void RunTimerDialog(uint8_t region) override;

 private:
  IKeyValueTree& tree_;
  std::function<void(uint32_t)> setExecutionState_;
};
