#include "settings/SettingsStore.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <ctime>

#include "settings/KeyValueTree.h"

namespace {

struct DefaultValue {
  const char* name;
  const char* text;
};

// Written into a new "FM_AM_SETTING" in this order.
constexpr DefaultValue kGeneralDefaults[] = {
    {"FM", "1"},          {"FREQ", "7600"},   {"MP3BPS", "2"},    {"RECORDFOLDER", "C:\\RadioREC"},
    {"STEREO", "1"},      {"FREQ_AM", "522"}, {"FREQ_SW", "2300"}, {"VOLUME", "50"},
    {"COUNTRY", "2"},     {"WAKEUP", "3"},    {"AUTOSPEND", "3"}, {"CLOSE", "0"},
    {"SHUTDOWN", "0"},    {"STANDBY", "0"},
};

struct PresetDefaults {
  const char* key;
  const char* frequency;
};

constexpr PresetDefaults kPresetDefaults[] = {
    {"CH_SET_FM_USA", "8750"}, {"CH_SET_FM_EUR", "8750"}, {"CH_SET_FM_JAP", "7600"},
    {"CH_SET_AM_USA", "520"},  {"CH_SET_AM_EUR", "522"},  {"CH_SET_AM_JAP", "522"},
    {"CH_SET_SW", "2300"},
};

constexpr int kPresetCount = 12;
constexpr int kTimerCount = 16;

std::string KeyPath(const std::string& subkey) { return std::string(kSettingsRoot) + "\\" + subkey; }

std::string Printf2(const char* format, int value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// Opens the key, falling back to creating it; null when both fail.
std::unique_ptr<IOpenKey> OpenOrCreate(IKeyValueTree& tree, const std::string& subkey) {
  std::string path = KeyPath(subkey);
  if (OpenResult opened = tree.OpenKey(path); opened.key) return std::move(opened.key);
  // A key refused for full access may still be created open with the access that is allowed.
  return tree.CreateKey(path);
}

bool IsTextType(uint32_t type) {
  return type == kValueString || type == kValueExpandString || type == kValueMultiString;
}

void WriteGeneralDefaults(IOpenKey& key) {
  for (const auto& value : kGeneralDefaults) key.SetString(value.name, value.text);
}

void WritePresetDefaults(IOpenKey& key, const char* frequency) {
  for (int n = 1; n <= kPresetCount; ++n) {
    key.SetString(PresetValueName(n, "ID"), Printf2("Channel%02d", n));
    key.SetString(PresetValueName(n, "FRQ"), frequency);
  }
}

void WriteTimerDefaults(IOpenKey& key, const LocalDate& today) {
  // "ITEM" holds no bytes at all and "NAME" the lone terminator: existing trees look like this.
  key.SetValue("ITEM", kValueString, "", 0);
  key.SetString("ACTIVE", "0");
  key.SetString("ISAMFM", "1");
  key.SetString("FREQ", "8750");
  key.SetString("QUALITY", "2");
  key.SetString("DATETYPE", "2");
  char date[48];
  std::snprintf(date, sizeof date, "%04d%02d%02d", today.year, today.month, today.day);
  key.SetString("DATE", date);
  key.SetString("WEEK", "1000000");
  key.SetString("STARTTIME", "000000");
  key.SetString("ENDSTART", "000100");
  key.SetString("NAME", "");
}

}  // namespace

LocalDate TodayLocalDate() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return LocalDate{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

SettingsStore::SettingsStore(IKeyValueTree& tree) : SettingsStore(tree, TodayLocalDate) {}

SettingsStore::SettingsStore(IKeyValueTree& tree, std::function<LocalDate()> today)
    : tree_(tree), today_(today ? std::move(today) : std::function<LocalDate()>(TodayLocalDate)) {
  EnsureDefaults();
}

void SettingsStore::EnsureDefaults() {
  // A key that opens is left exactly as it is, even when values are missing from it: those
  // are recreated empty one by one as they are read. A key that exists but refuses full access
  // is the user's too: the create would open it and the defaults would overwrite the presets.
  auto ensure = [this](const std::string& subkey, auto&& writeDefaults) {
    std::string path = KeyPath(subkey);
    if (tree_.OpenKey(path).status != OpenStatus::Missing) return;
    if (auto key = tree_.CreateKey(path)) writeDefaults(*key);
  };
  ensure(kGeneralKey, [](IOpenKey& key) { WriteGeneralDefaults(key); });
  for (const auto& preset : kPresetDefaults)
    ensure(preset.key, [&](IOpenKey& key) { WritePresetDefaults(key, preset.frequency); });
  for (int n = 1; n <= kTimerCount; ++n) {
    ensure(Printf2("TIMER_SETTING%02d", n), [this](IOpenKey& key) { WriteTimerDefaults(key, today_()); });
  }
}

SettingsStore::~SettingsStore() = default;

SettingsStore::KeyReuse::~KeyReuse() {
  if (--store_.reuseDepth_ == 0) {
    store_.held_.reset();
    store_.heldSubkey_.clear();
  }
}

IOpenKey* SettingsStore::Key(const std::string& subkey, std::unique_ptr<IOpenKey>& local) {
  if (reuseDepth_ == 0) {
    local = OpenOrCreate(tree_, subkey);
    return local.get();
  }
  if (!held_ || heldSubkey_ != subkey) {
    held_.reset();  // one key open at a time
    held_ = OpenOrCreate(tree_, subkey);
    heldSubkey_ = subkey;
  }
  return held_.get();
}

std::string SettingsStore::ReadValue(const std::string& subkey, const std::string& name) {
  return Read(subkey, name, true);
}

std::string SettingsStore::ReadOptionalValue(const std::string& subkey, const std::string& name) {
  return Read(subkey, name, false);
}

std::string SettingsStore::Read(const std::string& subkey, const std::string& name, bool createMissing) {
  std::unique_ptr<IOpenKey> local;
  IOpenKey* key = Key(subkey, local);
  if (!key) return {};
  std::array<char, kValueBufferSize> buffer;
  QueryResult result = key->QueryValue(name, buffer.data(), buffer.size());
  switch (result.status) {
    case QueryStatus::Missing:
      // Hand-deleted values come back as empty strings so the tree stays complete.
      if (createMissing) key->SetString(name, "");
      return {};
    case QueryStatus::TooLarge:
    case QueryStatus::Failed:
      return {};
    case QueryStatus::Ok:
      break;
  }
  if (!IsTextType(result.type)) return {};
  // Hand-edited data need not be terminated: never look beyond what was returned.
  size_t size = result.size < buffer.size() ? result.size : buffer.size();
  size_t length = 0;
  while (length < size && buffer[length] != '\0') ++length;
  return std::string(buffer.data(), length);
}

void SettingsStore::WriteValue(const std::string& subkey, const std::string& name, const std::string& text) {
  // A failed write is ignored on purpose: settings never report errors to the user.
  std::unique_ptr<IOpenKey> local;
  if (IOpenKey* key = Key(subkey, local)) key->SetString(name, text);
}

int SettingsStore::ReadNumber(const std::string& subkey, const std::string& name) {
  return StrToIntLike(ReadValue(subkey, name));
}

void SettingsStore::WriteNumber(const std::string& subkey, const std::string& name, int value) {
  WriteValue(subkey, name, Printf2("%d", value));
}

bool SettingsStore::ResetToDefaults(IDialogMessage& message) {
  held_.reset();
  heldSubkey_.clear();
  if (!tree_.DeleteTree(kSettingsRoot)) return false;
  EnsureDefaults();
  message.Show("All data is restore to default!");
  return true;
}

int StrToIntLike(const std::string& text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && text[i] == '-') {
    negative = true;
    ++i;
  }
  uint32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    value = value * 10u + static_cast<uint32_t>(text[i] - '0');
  if (negative) value = 0u - value;
  return static_cast<int>(value);
}

std::string PresetValueName(int n, const char* suffix) {
  char name[24];
  std::snprintf(name, sizeof name, "CH%02d_%s", n, suffix);
  return name;
}

std::string PresetKey(unsigned band, unsigned region) {
  if (band != 0 && band != 1) return "CH_SET_SW";
  std::string key = band == 1 ? "CH_SET_FM" : "CH_SET_AM";
  switch (region) {
    case 0: return key + "_USA";
    case 1: return key + "_EUR";
    default: return key + "_JAP";
  }
}

std::string TrimBlanks(const std::string& text) {
  auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && isBlank(text[begin])) ++begin;
  while (end > begin && isBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}
