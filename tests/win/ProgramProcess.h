#pragma once
// A program started from a test as a user starts it: its process, its main window once it
// shows, and its end.

#include <windows.h>

#include <string>

#include "app/win32/SingleInstance.h"
#include "base/win32/Win32Handle.h"
#include "settings/SettingsStore.h"

// A setting the program will read when it starts: a string value under its registry root.
// kestrune.exe of this build, as Windows names it.
inline std::string ExePath() {
  std::string path = std::string("Z:") + KESTRUNE_BINARY_DIR + "/kestrune.exe";
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

inline void PlantSetting(const std::string& key, const char* name, const std::string& value) {
  HKEY handle = nullptr;
  if (RegCreateKeyA(HKEY_CURRENT_USER, (std::string(kSettingsRoot) + "\\" + key).c_str(), &handle) != ERROR_SUCCESS)
    return;
  RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(handle);
}

// Starts `exe` with `arguments` in `folder` (the test's own when empty); empty when it could not
// be started.
inline UniqueHandle StartProgram(const std::string& exe, const std::string& arguments = {},
                                 const std::string& folder = {}) {
  std::string commandLine = "\"" + exe + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &process))
    return UniqueHandle();
  CloseHandle(process.hThread);
  return UniqueHandle(process.hProcess);
}

// The running copy's main window, waited for up to `ms`; null when none showed.
inline HWND WaitForMainWindow(DWORD ms = 30000) { return WaitForRunningInstance(ms); }

// `process`'s exit code once it ends within `ms`; STILL_ACTIVE when it had to be ended by force.
inline DWORD WaitForExit(HANDLE process, DWORD ms = 30000) {
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(process, ms) == WAIT_OBJECT_0) GetExitCodeProcess(process, &code);
  else TerminateProcess(process, 1);
  return code;
}
