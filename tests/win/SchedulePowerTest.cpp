// The power adapter under Wine: the named wake timer is real and fires; the shutdown and sleep
// calls get their arguments, and the shutdown privilege is really enabled on the token, but
// stand-ins take the place of the two calls (the real ExitWindowsEx would end the whole prefix).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "schedule/win32/Win32Calendar.h"
#include "schedule/win32/Win32Power.h"

namespace {

struct Calls {
  int exits = 0;
  UINT exitFlags = 0;
  DWORD exitReason = 1;
  int suspends = 0;
  BOOLEAN suspendArgs[3] = {1, 1, 1};
} g_calls;

BOOL WINAPI FakeExitWindows(UINT flags, DWORD reason) {
  ++g_calls.exits;
  g_calls.exitFlags = flags;
  g_calls.exitReason = reason;
  return TRUE;
}

BOOLEAN WINAPI FakeSuspend(BOOLEAN hibernate, BOOLEAN force, BOOLEAN disableWake) {
  ++g_calls.suspends;
  g_calls.suspendArgs[0] = hibernate;
  g_calls.suspendArgs[1] = force;
  g_calls.suspendArgs[2] = disableWake;
  return FALSE;
}

bool ShutdownPrivilegeEnabled() {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
  UniqueHandle token(raw);
  LUID shutdown{};
  LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &shutdown);
  DWORD size = 0;
  GetTokenInformation(token.Get(), TokenPrivileges, nullptr, 0, &size);
  std::string buffer(size, '\0');
  if (!GetTokenInformation(token.Get(), TokenPrivileges, buffer.data(), size, &size)) return false;
  const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
  for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
    const LUID_AND_ATTRIBUTES& p = privileges->Privileges[i];
    if (p.Luid.LowPart == shutdown.LowPart && p.Luid.HighPart == shutdown.HighPart)
      return (p.Attributes & SE_PRIVILEGE_ENABLED) != 0;
  }
  return false;
}

// The wake timer is set for an instant: a relative wait, which Windows 8 and later stop counting
// while the PC sleeps, would read the instant as some sixty years. Under Wine the PC never sleeps,
// so what is proven here is the call (absolute, unnamed, once); that it wakes the PC is Windows'.
TEST(SchedulePower, WakeTimerFiresOnceAtItsInstantAndIsNamedNothing) {
  Win32PowerActions power({FakeExitWindows, FakeSuspend});
  Win32Calendar calendar;
  const int64_t armedAt = calendar.NowSeconds();
  power.ArmWakeTimer(armedAt + 3);
  ASSERT_NE(power.WakeTimer(), nullptr);
  EXPECT_EQ(OpenWaitableTimerA(SYNCHRONIZE, FALSE, "WaitForResume"), nullptr) << "no name any program can share";
  EXPECT_EQ(WaitForSingleObject(power.WakeTimer(), 1000), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(power.WakeTimer(), 10000), WAIT_OBJECT_0);
  EXPECT_GE(calendar.NowSeconds(), armedAt + 2);
  EXPECT_EQ(WaitForSingleObject(power.WakeTimer(), 1500), WAIT_TIMEOUT);  // automatic reset, no period

  // Armed again for another instant: the timer before it is replaced, not left running.
  power.ArmWakeTimer(calendar.NowSeconds() + 3600);
  EXPECT_EQ(WaitForSingleObject(power.WakeTimer(), 500), WAIT_TIMEOUT);
  power.CloseWakeTimer();
  EXPECT_EQ(power.WakeTimer(), nullptr);
}

// Local times as Windows' zone makes them, and back, to the second.
TEST(SchedulePower, TheCalendarTurnsLocalTimesIntoInstantsAndBack) {
  Win32Calendar calendar;
  const int64_t now = calendar.NowSeconds();
  const LocalTime local = calendar.SecondsToLocal(now);
  EXPECT_EQ(calendar.LocalToSeconds(local), now);
  SYSTEMTIME shown{};
  GetLocalTime(&shown);
  EXPECT_EQ(local.year, shown.wYear);
  EXPECT_EQ(local.weekday, shown.wDayOfWeek);
  EXPECT_EQ(SecondsOfFileTimeTicks(FileTimeTicksOf(now)), now);
}

TEST(SchedulePower, ShutdownEnablesThePrivilegeAndForcesAShutdownWhileSleepAllowsWakeEvents) {
  Win32PowerActions power({FakeExitWindows, FakeSuspend});
  g_calls = {};
  EXPECT_TRUE(power.ShutDown());
  EXPECT_EQ(g_calls.exits, 1);
  EXPECT_EQ(g_calls.exitFlags, static_cast<UINT>(EWX_SHUTDOWN | EWX_FORCE));
  EXPECT_EQ(g_calls.exitReason, 0u);
  EXPECT_TRUE(ShutdownPrivilegeEnabled());

  EXPECT_FALSE(power.Suspend());  // the stand-in refuses, as a machine without sleep does
  EXPECT_EQ(g_calls.suspends, 1);
  EXPECT_EQ(g_calls.suspendArgs[0], FALSE);
  EXPECT_EQ(g_calls.suspendArgs[1], FALSE);
  EXPECT_EQ(g_calls.suspendArgs[2], FALSE);
}

TEST(SchedulePower, RecordFolderIsMadeOneLevelDeepOnly) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string root = std::string(temp) + "kestrune-folders-" + std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryA(root.c_str(), nullptr));
  Win32RecordFolders folders;
  EXPECT_TRUE(folders.EnsureFolder(root + "\\News"));
  EXPECT_NE(GetFileAttributesA((root + "\\News").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(folders.EnsureFolder(root + "\\News"));
  EXPECT_FALSE(folders.EnsureFolder(root + "\\Missing\\News"));
  HANDLE file = CreateFileA((root + "\\Plain").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  CloseHandle(file);
  EXPECT_FALSE(folders.EnsureFolder(root + "\\Plain"));
  DeleteFileA((root + "\\Plain").c_str());
  RemoveDirectoryA((root + "\\News").c_str());
  RemoveDirectoryA(root.c_str());
}

}  // namespace
