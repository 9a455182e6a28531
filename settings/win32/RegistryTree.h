#pragma once
// The current user's registry as an IKeyValueTree.

#include "settings/KeyValueTree.h"

class RegistryTree final : public IKeyValueTree {
 public:
  OpenResult OpenKey(const std::string& path) override;
  std::unique_ptr<IOpenKey> CreateKey(const std::string& path) override;
  bool DeleteTree(const std::string& path) override;
};
