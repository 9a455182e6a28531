#include "settings/win32/RegistryTree.h"

#include <windows.h>
#include <shlwapi.h>

namespace {

// Sole owner of one open registry key.
class UniqueHkey {
 public:
  explicit UniqueHkey(HKEY key) : key_(key) {}
  ~UniqueHkey() {
    if (key_) RegCloseKey(key_);
  }
  UniqueHkey(const UniqueHkey&) = delete;
  UniqueHkey& operator=(const UniqueHkey&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_;
};

class RegistryKey final : public IOpenKey {
 public:
  explicit RegistryKey(HKEY key) : key_(key) {}

  QueryResult QueryValue(const std::string& name, void* buffer, size_t capacity) override {
    DWORD type = REG_NONE;
    DWORD size = capacity > MAXDWORD ? MAXDWORD : static_cast<DWORD>(capacity);
    LONG rc = RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type, static_cast<BYTE*>(buffer), &size);
    QueryResult result;
    result.type = type;
    result.size = size;
    switch (rc) {
      case ERROR_SUCCESS: result.status = QueryStatus::Ok; break;
      case ERROR_FILE_NOT_FOUND: result.status = QueryStatus::Missing; break;
      case ERROR_MORE_DATA: result.status = QueryStatus::TooLarge; break;
      default: result.status = QueryStatus::Failed; break;
    }
    return result;
  }

  bool SetValue(const std::string& name, uint32_t type, const void* data, size_t size) override {
    if (size > MAXDWORD) return false;
    return RegSetValueExA(key_.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data),
                          static_cast<DWORD>(size)) == ERROR_SUCCESS;
  }

 private:
  UniqueHkey key_;
};

}  // namespace

OpenResult RegistryTree::OpenKey(const std::string& path) {
  HKEY key = nullptr;
  const LONG rc = RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key);
  OpenResult result;
  if (rc == ERROR_SUCCESS) {
    result.key = std::make_unique<RegistryKey>(key);
    result.status = OpenStatus::Ok;
  } else if (rc == ERROR_FILE_NOT_FOUND || rc == ERROR_PATH_NOT_FOUND) {
    result.status = OpenStatus::Missing;
  }
  return result;
}

std::unique_ptr<IOpenKey> RegistryTree::CreateKey(const std::string& path) {
  HKEY key = nullptr;
  if (RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), &key) != ERROR_SUCCESS) return nullptr;
  return std::make_unique<RegistryKey>(key);
}

bool RegistryTree::DeleteTree(const std::string& path) {
  return SHDeleteKeyA(HKEY_CURRENT_USER, path.c_str()) == ERROR_SUCCESS;
}
