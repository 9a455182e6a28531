#pragma once
// The narrow slice of the registry Kestrune uses. Each operation is one registry call, so the
// Win32 adapter (settings/win32/RegistryTree.cpp) stays a thin mapping:
//   OpenKey    RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS)
//   CreateKey  RegCreateKeyA(HKEY_CURRENT_USER, path)       (creates missing parents)
//   QueryValue RegQueryValueExA into the caller's buffer
//   SetValue   RegSetValueExA
//   ~IOpenKey  RegCloseKey
//   DeleteTree SHDeleteKeyA(HKEY_CURRENT_USER, path)        (the key and all its subkeys)
// Paths are relative to HKEY_CURRENT_USER with '\' separators; key and value names compare
// without regard to ASCII case, as the registry does. Failures are results, never exceptions.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// Value types, numbered as the registry numbers them (REG_SZ, REG_BINARY, ...). Data read back
// may carry any of them: a user can edit the tree by hand.
enum ValueType : uint32_t {
  kValueNone = 0,
  kValueString = 1,        // REG_SZ
  kValueExpandString = 2,  // REG_EXPAND_SZ
  kValueBinary = 3,        // REG_BINARY
  kValueDword = 4,         // REG_DWORD
  kValueMultiString = 7,   // REG_MULTI_SZ
  kValueQword = 11,        // REG_QWORD
};

enum class QueryStatus {
  Ok,        // data copied; size is its length in bytes
  Missing,   // no value of that name
  TooLarge,  // the data does not fit the buffer; size is what it would need; buffer undefined
  Failed,    // any other error (key deleted meanwhile, access refused ...)
};

struct QueryResult {
  QueryStatus status = QueryStatus::Failed;
  uint32_t type = kValueNone;
  size_t size = 0;
};

// One open key. Destroying it closes the key.
class IOpenKey {
 public:
  virtual ~IOpenKey() = default;

  // Copies at most `capacity` bytes of the value into `buffer`. The data is returned as stored:
  // a string value need not end in a zero byte nor be free of zero bytes.
  virtual QueryResult QueryValue(const std::string& name, void* buffer, size_t capacity) = 0;

  // Stores `size` bytes (none at all is allowed) with the given type.
  virtual bool SetValue(const std::string& name, uint32_t type, const void* data, size_t size) = 0;

  // A REG_SZ value: the text up to its first zero byte, plus one terminating zero byte.
  bool SetString(const std::string& name, const std::string& text) {
    const char* s = text.c_str();
    size_t length = 0;
    while (s[length] != '\0') ++length;
    return SetValue(name, kValueString, s, length + 1);
  }
};

enum class OpenStatus {
  Ok,       // key holds the open key
  Missing,  // there is no such key
  Failed,   // it exists or may exist, but cannot be opened (access refused, ...)
};

struct OpenResult {
  std::unique_ptr<IOpenKey> key;  // null unless Ok
  OpenStatus status = OpenStatus::Failed;
};

class IKeyValueTree {
 public:
  virtual ~IKeyValueTree() = default;

  // Opens an existing key with full access. Only a key that does not exist is Missing.
  virtual OpenResult OpenKey(const std::string& path) = 0;

  // Opens the key, creating it and any missing parent first; null on failure.
  virtual std::unique_ptr<IOpenKey> CreateKey(const std::string& path) = 0;

  // Deletes the key with all of its values and subkeys. False when it failed (a missing key
  // counts as a failure, as for SHDeleteKeyA).
  virtual bool DeleteTree(const std::string& path) = 0;
};
