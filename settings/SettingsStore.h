#pragma once
// Everything Kestrune remembers, as text values under HKEY_CURRENT_USER\Software\KESTRUNE.
// The store opens the key anew for every read and write: there is no cache, so what one dialog
// writes the next read anywhere sees. Single-threaded (user-interface thread).

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

// One hierarchical key/value tree: the Win32 registry (settings/win32) or an in-memory tree
// (native tests). Paths are relative to HKEY_CURRENT_USER and use '\' separators.
class IKeyValueTree;
class IOpenKey;

// The root of everything Kestrune stores, relative to HKEY_CURRENT_USER.
constexpr const char* kSettingsRoot = "Software\\KESTRUNE";
// Values are read into a buffer of this many bytes; a longer value reads as empty text.
constexpr size_t kValueBufferSize = 4096;

struct LocalDate {
  int year;
  int month;  // 1..12
  int day;    // 1..31
};
// Today's local date; stamped into the "DATE" of a freshly created timer key.
LocalDate TodayLocalDate();

// A dialog message: the given text, an empty caption and an OK button, owned by the dialog
// that shows it.
class IDialogMessage {
 public:
  virtual ~IDialogMessage() = default;
  virtual void Show(const std::string& text) = 0;
};

class SettingsStore {
 public:
  // Runs EnsureDefaults. `tree` must outlive the store.
  explicit SettingsStore(IKeyValueTree& tree);
  // Same, with the date source used for new timer keys (tests pin it).
  SettingsStore(IKeyValueTree& tree, std::function<LocalDate()> today);
  ~SettingsStore();

  // Creates every missing key of the tree with its default values; existing keys are untouched.
  void EnsureDefaults();

  // Text of `name` under Software\KESTRUNE\<subkey>. A missing value is written empty and reads
  // empty; a value that does not fit 4096 bytes, or is not text, reads empty. Text is the data
  // up to its first zero byte, or all of it when there is none; the data's length bounds it.
  // REG_SZ, REG_EXPAND_SZ (not expanded) and REG_MULTI_SZ (its first string) count as text.
  std::string ReadValue(const std::string& subkey, const std::string& name);
  // The same, but a missing value stays missing (a value older trees do not have).
  std::string ReadOptionalValue(const std::string& subkey, const std::string& name);
  // Written as REG_SZ with its terminating zero.
  void WriteValue(const std::string& subkey, const std::string& name, const std::string& text);

  // ReadValue converted like StrToIntA; WriteValue of "%d".
  int ReadNumber(const std::string& subkey, const std::string& name);
  void WriteNumber(const std::string& subkey, const std::string& name, int value);

  // Deletes Software\KESTRUNE with every subkey. Only when that succeeded: recreates the
  // default tree and shows "All data is restore to default!". Returns whether it happened.
  bool ResetToDefaults(IDialogMessage& message);

  IKeyValueTree& Tree() { return tree_; }

  // While one lives, the key last used stays open, so a run of reads and writes under one key
  // (a reservation's ten values) opens it once rather than once a value. Keys must not be deleted
  // behind the store's back meanwhile; ResetToDefaults lets go of it.
  class KeyReuse {
   public:
    explicit KeyReuse(SettingsStore& store) : store_(store) { ++store_.reuseDepth_; }
    ~KeyReuse();
    KeyReuse(const KeyReuse&) = delete;
    KeyReuse& operator=(const KeyReuse&) = delete;

   private:
    SettingsStore& store_;
  };

 private:
  std::string Read(const std::string& subkey, const std::string& name, bool createMissing);
  // The key of `subkey`, opened (or created) now and owned by `local`, or the held one.
  IOpenKey* Key(const std::string& subkey, std::unique_ptr<IOpenKey>& local);

  IKeyValueTree& tree_;
  int reuseDepth_ = 0;
  std::string heldSubkey_;
  std::unique_ptr<IOpenKey> held_;
  std::function<LocalDate()> today_;
};

// StrToIntA exactly: the text must begin with '-' or a digit (no blank, no '+'), then decimal
// digits up to the first other character, in 32-bit arithmetic that wraps; otherwise 0.
int StrToIntLike(const std::string& text);

// Blanks (space, tab, line breaks, vertical tab, form feed) taken off both ends, as stored names,
// numbers and folders are trimmed where they are read.
std::string TrimBlanks(const std::string& text);

// "CH_SET_FM_USA" … "CH_SET_AM_JAP", "CH_SET_SW" for a band and region (region 0, 1, other).
// "CH%02d_ID" / "CH%02d_FRQ": the value names of preset n (1..12) under a preset key.
std::string PresetValueName(int n, const char* suffix);
std::string PresetKey(unsigned band, unsigned region);
constexpr const char* kGeneralKey = "FM_AM_SETTING";
