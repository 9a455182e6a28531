// Two real kestrune.exe processes: the second finds the first by its window's marker, shows it
// and leaves with exit code 0.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/win32/MainDlg.h"
#include "app/win32/SingleInstance.h"
#include "resources/resource.h"
#include "tests/win/ProgramProcess.h"

namespace {

struct Process {
  PROCESS_INFORMATION info{};
  bool Start(const std::string& exe) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + exe + "\"";
    return CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info) != FALSE;
  }
  DWORD WaitExit(DWORD ms) {
    if (WaitForSingleObject(info.hProcess, ms) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info.hProcess, &code);
    return code;
  }
  ~Process() {
    if (info.hProcess) {
      if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info.hProcess, 1);
      CloseHandle(info.hProcess);
      CloseHandle(info.hThread);
    }
  }
};

// The marked window of another process, waiting up to 30 s for it to appear.
HWND WaitForInstance(HWND ignore) {
  for (int i = 0; i < 300; ++i) {
    HWND found = FindRunningInstance();
    if (found && found != ignore) return found;
    Sleep(100);
  }
  return nullptr;
}

TEST(SingleInstanceProcesses, SecondCopyShowsTheFirstAndExitsWithZero) {
  const std::string exe = ExePath();
  if (GetFileAttributesA(exe.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "kestrune.exe not built";

  // A foreign window with the same property but another value is not a running copy.
  HWND foreign = CreateWindowExA(0, "STATIC", "foreign", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  SetPropA(foreign, kInstanceProperty, reinterpret_cast<HANDLE>(1021));

  Process first;
  ASSERT_TRUE(first.Start(exe));
  HWND window = WaitForInstance(foreign);
  ASSERT_NE(window, nullptr) << "the first copy never showed its window";
  EXPECT_EQ(first.WaitExit(0), STILL_ACTIVE);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  EXPECT_EQ(owner, first.info.dwProcessId);

  ShowWindow(window, SW_HIDE);  // as if hidden to the tray
  ASSERT_FALSE(IsWindowVisible(window));
  Process second;
  ASSERT_TRUE(second.Start(exe));
  EXPECT_EQ(second.WaitExit(30000), 0u);
  EXPECT_TRUE(IsWindowVisible(window));

  // The Close button ends the first copy through its own closing path.
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_CLOSE, 0), 0);
  EXPECT_EQ(first.WaitExit(30000), 0u);
  EXPECT_EQ(FindRunningInstance(), nullptr);

  RemovePropA(foreign, kInstanceProperty);
  DestroyWindow(foreign);
}

// The second start comes while the first has no window yet (a start at log-on): it finds the
// first by its lock and leaves; a plain start then shows the first, a /tray start leaves it hidden.
TEST(SingleInstanceProcesses, TwoStartsFiftyMillisecondsApartLeaveOneCopy) {
  const std::string exe = ExePath();
  if (GetFileAttributesA(exe.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "kestrune.exe not built";
  for (const std::string arguments : {"", "/tray"}) {
    UniqueHandle starts[2];
    starts[0] = StartProgram(exe, arguments);
    Sleep(50);
    starts[1] = StartProgram(exe, arguments);
    ASSERT_TRUE(starts[0] && starts[1]) << arguments;
    // Whichever reached its lock second leaves; nothing says the system started them in order.
    const HANDLE both[] = {starts[0].Get(), starts[1].Get()};
    const DWORD ended = WaitForMultipleObjects(2, both, FALSE, 30000) - WAIT_OBJECT_0;
    ASSERT_LT(ended, 2u) << arguments << ": both copies run on";
    EXPECT_EQ(WaitForExit(both[ended]), 0u) << arguments;
    const HANDLE running = both[1 - ended];
    const HWND window = WaitForMainWindow();
    ASSERT_NE(window, nullptr) << arguments;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    EXPECT_EQ(owner, GetProcessId(running)) << arguments;
    EXPECT_EQ(WaitForSingleObject(running, 1000), static_cast<DWORD>(WAIT_TIMEOUT)) << arguments;
    EXPECT_EQ(IsWindowVisible(window) != FALSE, arguments.empty()) << arguments;
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(ID_EXIT, 0), 0);
    EXPECT_EQ(WaitForExit(running), 0u) << arguments;
  }
}

}  // namespace
