#include "schedule/win32/Win32Power.h"

#include <powrprof.h>

#include "schedule/win32/Win32Calendar.h"
#include "settings/win32/RecordFolder.h"

PowerCalls SystemPowerCalls() { return {::ExitWindowsEx, ::SetSuspendState}; }

void Win32PowerActions::SetExecutionState(uint32_t flags) {
  SetThreadExecutionState(static_cast<EXECUTION_STATE>(flags));
}

void Win32PowerActions::ArmWakeTimer(int64_t dueAt) {
  // Unnamed: a timer of another program that happens to carry the same name is not shared. One
  // left from an earlier arming is replaced, not leaked.
  wakeTimer_.Reset(CreateWaitableTimerW(nullptr, FALSE, nullptr));
  if (!wakeTimer_) return;
  // Absolute (positive, UTC): a relative due time stops counting while the PC sleeps since
  // Windows 8, and would wake it only after the whole wait had passed awake.
  LARGE_INTEGER due;
  due.QuadPart = FileTimeTicksOf(dueAt);
  SetWaitableTimer(wakeTimer_.Get(), &due, 0, nullptr, nullptr, TRUE);
}

void Win32PowerActions::RequestWakeupLatency() { ::RequestWakeupLatency(LT_DONT_CARE); }

void Win32PowerActions::Beep() { ::Beep(2000, 100); }

bool Win32PowerActions::Suspend() { return calls_.setSuspendState(FALSE, FALSE, FALSE) != FALSE; }

bool Win32PowerActions::ShutDown() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&version)) return false;
#pragma GCC diagnostic pop
  if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw)) return false;
    UniqueHandle token(raw);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    // Refused here, the shutdown itself is refused and says so.
    LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
    AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr);
  }
  return calls_.exitWindows(EWX_SHUTDOWN | EWX_FORCE, 0) != FALSE;
}

bool Win32RecordFolders::EnsureFolder(const std::string& path) { return EnsureRecordFolder(path); }
