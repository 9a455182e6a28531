#include "app/win32/StartWithWindows.h"

#include <windows.h>

#include <cctype>
#include <optional>
#include <vector>

#include "app/StartEntry.h"
#include "base/win32/WideText.h"

namespace {

// A value's data through RegGetValueW, which also expands a REG_EXPAND_SZ (as Explorer does before
// it starts a Run entry) and ends a string that was stored without its terminator. Nothing when
// the value is missing, of another type, or cannot be read.
std::optional<std::vector<BYTE>> ReadValue(const wchar_t* key, const wchar_t* name, DWORD types) {
  std::vector<BYTE> data(512);
  // The size asked for can grow between the calls (another writer, a longer expansion).
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD size = static_cast<DWORD>(data.size());
    const LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, key, name, types, nullptr, data.data(), &size);
    if (status == ERROR_SUCCESS) {
      data.resize(size);
      return data;
    }
    if (status != ERROR_MORE_DATA) return std::nullopt;
    data.resize(size > data.size() ? size : data.size() * 2);
  }
  return std::nullopt;
}

std::optional<std::wstring> RunCommand() {
  const auto data = ReadValue(kRunKeyW, kRunValueW, RRF_RT_REG_SZ);
  if (!data) return std::nullopt;
  std::wstring text(reinterpret_cast<const wchar_t*>(data->data()), data->size() / sizeof(wchar_t));
  text.resize(wcsnlen(text.c_str(), text.size()));
  return text;
}

// A value (or its key) that is not there is as good as deleted.
bool DeleteValue(const wchar_t* key, const wchar_t* name) {
  const LSTATUS status = RegDeleteKeyValueW(HKEY_CURRENT_USER, key, name);
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND;
}

bool SwitchedOffInStartupApps() {
  const auto record = ReadValue(kStartupApprovedKeyW, kRunValueW, RRF_RT_REG_BINARY);
  return record && StartupApprovedDisables(*record);
}

}  // namespace

std::wstring ThisProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::wstring();
    // A full buffer means the path was cut (the error code differs between systems).
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::wstring StartCommandFor(const std::wstring& exe) { return L"\"" + exe + L"\" /tray"; }

std::string StartWithWindowsCommand() { return Utf8FromWide(StartCommandFor(ThisProgramPath())); }

bool StartsWithWindows(const std::wstring& exe) {
  const auto command = RunCommand();
  return command && StartCommandNames(*command, exe) && !SwitchedOffInStartupApps();
}

bool SetStartWithWindows(bool on, const std::wstring& exe) {
  if (!on) {
    const auto command = RunCommand();
    if (!command || !StartCommandNames(*command, exe)) return true;
    // The record described only the entry that goes. Left behind, a switched-off one would keep
    // the next entry of this name off, and the installer's checkbox cannot read binary values.
    return DeleteValue(kRunKeyW, kRunValueW) && DeleteValue(kStartupApprovedKeyW, kRunValueW);
  }
  const std::wstring command = StartCommandFor(exe);
  if (RegSetKeyValueW(HKEY_CURRENT_USER, kRunKeyW, kRunValueW, REG_SZ, command.c_str(),
                      static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
    return false;
  const auto record = ReadValue(kStartupApprovedKeyW, kRunValueW, RRF_RT_REG_BINARY);
  if (!record || !StartupApprovedDisables(*record)) return true;
  const auto enabled = StartupApprovedEnabled(*record);
  return RegSetKeyValueW(HKEY_CURRENT_USER, kStartupApprovedKeyW, kRunValueW, REG_BINARY, enabled.data(),
                         static_cast<DWORD>(enabled.size())) == ERROR_SUCCESS;
}

bool IsTrayStart(const char* commandLine) {
  if (!commandLine) return false;
  const std::string line = commandLine;
  // Arguments after the program's name, separated by blanks.
  for (size_t at = 0; at < line.size();) {
    while (at < line.size() && std::isspace(static_cast<unsigned char>(line[at]))) ++at;
    size_t end = at;
    while (end < line.size() && !std::isspace(static_cast<unsigned char>(line[end]))) ++end;
    std::string word = line.substr(at, end - at);
    for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (word == "/tray" || word == "-tray") return true;
    at = end;
  }
  return false;
}
