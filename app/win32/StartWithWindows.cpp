#include "app/win32/StartWithWindows.h"

#include <windows.h>

#include <cctype>

std::string StartWithWindowsCommand() {
  char path[MAX_PATH * 2] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string command = "\"";
  command.append(path).append("\" /tray");
  return command;
}

bool StartsWithWindows() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  const bool there = RegQueryValueExA(key, kRunValue, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  RegCloseKey(key);
  return there;
}

bool SetStartWithWindows(bool on) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  LONG result;
  if (on) {
    const std::string command = StartWithWindowsCommand();
    result = RegSetValueExA(key, kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                            static_cast<DWORD>(command.size() + 1));
  } else {
    result = RegDeleteValueA(key, kRunValue);
    if (result == ERROR_FILE_NOT_FOUND) result = ERROR_SUCCESS;
  }
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
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
