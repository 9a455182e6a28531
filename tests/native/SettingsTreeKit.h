#pragma once
// An in-memory settings tree as the dialogs' logic reads and writes it, and what was written.
#include <string>
#include <vector>

#include "settings/MemoryKeyValueTree.h"
#include "settings/SettingsStore.h"

namespace settings_kit {

inline const std::string kGeneral = std::string(kSettingsRoot) + "\\" + kGeneralKey;
inline const std::string kRoot = std::string(kSettingsRoot) + "\\";

struct RecordedMessages : IDialogMessage {
  std::vector<std::string> shown;
  void Show(const std::string& text) override { shown.push_back(text); }
};

// "key:name=text" of every value written since the journal was cleared.
inline std::vector<std::string> Writes(const MemoryKeyValueTree& tree) {
  std::vector<std::string> out;
  for (const auto& c : tree.Journal())
    if (c.kind == MemoryKeyValueTree::Change::ValueSet)
      out.push_back(c.path.substr(kRoot.size()) + ":" + c.name + "=" + c.data.substr(0, c.data.find('\0')));
  return out;
}

inline std::string Stored(const MemoryKeyValueTree& tree, const std::string& key, const std::string& name) {
  auto value = tree.GetValue(kRoot + key, name);
  return value && value->Text() ? *value->Text() : "<missing>";
}

}  // namespace settings_kit
