// The priorities kestrune.exe runs at, read from outside its process. Wine's user counts as an
// administrator: a copy that asked for REALTIME and TIME_CRITICAL got them here, as an elevated
// copy does on Windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "base/win32/Win32Handle.h"
#include "resources/resource.h"
#include "tests/win/ProgramProcess.h"

namespace {

TEST(ProgramPriority, HighAtMostAndTheWindowThreadAboveNormalAtMost) {
  const std::string exe = ExePath();
  if (GetFileAttributesA(exe.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "kestrune.exe not built";
  for (const std::string arguments : {"", "/tray"}) {
    const UniqueHandle program = StartProgram(exe, arguments);
    ASSERT_TRUE(program) << arguments;
    const HWND window = WaitForMainWindow();
    ASSERT_NE(window, nullptr) << arguments;
    DWORD processId = 0;
    const DWORD threadId = GetWindowThreadProcessId(window, &processId);
    ASSERT_EQ(processId, GetProcessId(program.Get())) << arguments;

    const DWORD priorityClass = GetPriorityClass(program.Get());
    const UniqueHandle thread(OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, threadId));
    ASSERT_TRUE(thread) << arguments;
    const int threadPriority = GetThreadPriority(thread.Get());
    std::printf("%s: priority class 0x%lx, window thread %d\n", arguments.empty() ? "plain start" : "/tray",
                static_cast<unsigned long>(priorityClass), threadPriority);
    // The classes are flags, not an order: the ones allowed are named.
    EXPECT_TRUE(priorityClass == HIGH_PRIORITY_CLASS || priorityClass == ABOVE_NORMAL_PRIORITY_CLASS ||
                priorityClass == NORMAL_PRIORITY_CLASS)
        << arguments << ": 0x" << std::hex << priorityClass;
    EXPECT_EQ(priorityClass, static_cast<DWORD>(HIGH_PRIORITY_CLASS)) << arguments << ": what it asks for is granted here";
    EXPECT_NE(threadPriority, THREAD_PRIORITY_ERROR_RETURN) << arguments;
    EXPECT_LE(threadPriority, THREAD_PRIORITY_ABOVE_NORMAL) << arguments;

    PostMessageA(window, WM_COMMAND, MAKEWPARAM(ID_EXIT, 0), 0);
    EXPECT_EQ(WaitForExit(program.Get()), 0u) << arguments;
  }
}

}  // namespace
