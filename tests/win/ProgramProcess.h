#pragma once
// A program started from a test as a user starts it: its process, its main window once it
// shows, and its end.

#include <windows.h>

#include <string>

#include "app/win32/SingleInstance.h"
#include "base/win32/Win32Handle.h"

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
