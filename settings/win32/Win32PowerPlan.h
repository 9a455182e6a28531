#pragma once
// The active power plan's "Allow wake timers" (powrprof) and the way to Windows' power options.

#include <windows.h>

#include "settings/WakeTimers.h"

// The system calls the reading goes through; tests hand stand-ins for the plan that Wine does
// not have.
struct PowerPlanCalls {
  DWORD(WINAPI* activeScheme)(HKEY root, GUID** scheme);
  DWORD(WINAPI* readMains)(HKEY root, const GUID* scheme, const GUID* subgroup, const GUID* setting, LPDWORD index);
  DWORD(WINAPI* readBattery)(HKEY root, const GUID* scheme, const GUID* subgroup, const GUID* setting, LPDWORD index);
  BOOL(WINAPI* powerStatus)(LPSYSTEM_POWER_STATUS status);
  HINSTANCE(WINAPI* shellExecute)(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR folder,
                                  INT show);
};
PowerPlanCalls SystemPowerPlanCalls();

// The power settings subgroup "Sleep" and its setting "Allow wake timers" (winnt.h's
// GUID_SLEEP_SUBGROUP and GUID_ALLOW_RTC_WAKE, which MinGW declares but does not define).
inline constexpr GUID kSleepSubgroup = {0x238c9fa8, 0x0aad, 0x41ed, {0x83, 0xf4, 0x97, 0xbe, 0x24, 0x2c, 0x8f, 0x20}};
inline constexpr GUID kAllowWakeTimers = {0xbd3b718a, 0x0680, 0x4d9d, {0x8a, 0xb2, 0xe1, 0xd2, 0xb4, 0xac, 0x80, 0x6d}};

class Win32PowerPlan final : public IPowerPlan {
 public:
  explicit Win32PowerPlan(PowerPlanCalls calls = SystemPowerPlanCalls()) : calls_(calls) {}

  // The plan is read only once the system names the active one: Wine has no power plans (its
  // PowerGetActiveScheme fails) and its readers are unimplemented stubs that must not be called.
  WakeTimerReading ReadWakeTimers() override;
  // "control.exe powercfg.cpl,,3": the active plan's advanced settings, where "Sleep" holds
  // "Allow wake timers".
  bool OpenPowerOptions() override;

 private:
  PowerPlanCalls calls_;
};

// The one the program uses.
IPowerPlan& SystemPowerPlan();
