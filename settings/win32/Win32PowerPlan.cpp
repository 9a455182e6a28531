#include "settings/win32/Win32PowerPlan.h"

#include <powrprof.h>
#include <shellapi.h>

#include <memory>

namespace {

struct LocalFreer {
  void operator()(GUID* p) const { LocalFree(p); }
};

}  // namespace

PowerPlanCalls SystemPowerPlanCalls() {
  return {::PowerGetActiveScheme, ::PowerReadACValueIndex, ::PowerReadDCValueIndex, ::GetSystemPowerStatus,
          ::ShellExecuteW};
}

WakeTimerReading Win32PowerPlan::ReadWakeTimers() {
  WakeTimerReading reading;
  GUID* raw = nullptr;
  if (calls_.activeScheme(nullptr, &raw) != ERROR_SUCCESS || raw == nullptr) return reading;
  // The system allocates the scheme's GUID; it is given back with LocalFree.
  const std::unique_ptr<GUID, LocalFreer> scheme(raw);
  DWORD index = 0;
  bool read = calls_.readMains(nullptr, scheme.get(), &kSleepSubgroup, &kAllowWakeTimers, &index) == ERROR_SUCCESS;
  reading.mains = WakeTimerSettingOf(read, index);
  index = 0;
  read = calls_.readBattery(nullptr, scheme.get(), &kSleepSubgroup, &kAllowWakeTimers, &index) == ERROR_SUCCESS;
  reading.battery = WakeTimerSettingOf(read, index);
  SYSTEM_POWER_STATUS status{};
  if (calls_.powerStatus(&status)) {
    // 128: no system battery; 255: the system does not know.
    reading.hasBattery = status.BatteryFlag != 128 && status.BatteryFlag != 255;
    reading.onBattery = reading.hasBattery && status.ACLineStatus == 0;
  }
  return reading;
}

bool Win32PowerPlan::OpenPowerOptions() {
  const HINSTANCE result = calls_.shellExecute(nullptr, L"open", L"control.exe", L"powercfg.cpl,,3", nullptr,
                                               SW_SHOWNORMAL);
  // ShellExecute's old convention: above 32 is success.
  return reinterpret_cast<INT_PTR>(result) > 32;
}

IPowerPlan& SystemPowerPlan() {
  static Win32PowerPlan plan;
  return plan;
}
