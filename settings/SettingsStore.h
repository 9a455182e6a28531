#pragma once
// Everything Kestrune remembers, as text values under HKEY_CURRENT_USER\Software\KESTRUNE.
// The store opens the key anew for every read and write: there is no cache, so what one dialog
// writes the next read anywhere sees. Single-threaded (user-interface thread).

#include <memory>
#include <string>

// One hierarchical key/value tree: the Win32 registry (settings/win32) or an in-memory tree
// (native tests). Paths are relative to HKEY_CURRENT_USER and use '\' separators.
class IKeyValueTree;

class SettingsStore {
 public:
  // Runs EnsureDefaults. `tree` must outlive the store.
  explicit SettingsStore(IKeyValueTree& tree);

  // Creates every missing key of the tree with its default values; existing keys are untouched.
  void EnsureDefaults();

  // Text of `name` under Software\KESTRUNE\<subkey>. A missing value is written empty and reads
  // empty; a value that does not fit 4096 bytes, or is not text, reads empty.
  std::string ReadValue(const std::string& subkey, const std::string& name);
  // Written as REG_SZ with its terminating zero.
  void WriteValue(const std::string& subkey, const std::string& name, const std::string& text);

  // ReadValue converted like StrToIntA; WriteValue of "%d".
  int ReadNumber(const std::string& subkey, const std::string& name);
  void WriteNumber(const std::string& subkey, const std::string& name, int value);

  IKeyValueTree& Tree() { return tree_; }

 private:
  IKeyValueTree& tree_;
};

// StrToIntA: optional sign, then leading decimal digits; anything else stops it; none gives 0.
int StrToIntLike(const std::string& text);

// "CH_SET_FM_USA" … "CH_SET_AM_JAP", "CH_SET_SW" for a band and region (region 0, 1, other).
std::string PresetKey(unsigned band, unsigned region);
constexpr const char* kGeneralKey = "FM_AM_SETTING";
