#pragma once
// Power management and the record folders on Windows.

#include <windows.h>

#include "base/win32/Win32Handle.h"
#include "schedule/SchedulerPorts.h"

// The two calls that take the machine away. Tests pass stand-ins: under Wine the real
// ExitWindowsEx ends every process of the prefix, the test run included.
struct PowerCalls {
  BOOL(WINAPI* exitWindows)(UINT flags, DWORD reason);
  BOOLEAN(WINAPI* setSuspendState)(BOOLEAN hibernate, BOOLEAN force, BOOLEAN disableWakeEvent);
};
PowerCalls SystemPowerCalls();

class Win32PowerActions final : public IPowerActions {
 public:
  explicit Win32PowerActions(PowerCalls calls = SystemPowerCalls()) : calls_(calls) {}

  void SetExecutionState(uint32_t flags) override;
  void ArmWakeTimer(int64_t dueAt) override;
  void CloseWakeTimer() override { wakeTimer_.Reset(); }
  void RequestWakeupLatency() override;
  void Beep() override;
  bool Suspend() override;
  bool ShutDown() override;

  HANDLE WakeTimer() const { return wakeTimer_.Get(); }

 private:
  PowerCalls calls_;
  UniqueHandle wakeTimer_;
};

class Win32RecordFolders final : public IRecordFolders {
 public:
  bool EnsureFolder(const std::string& path) override;
};
