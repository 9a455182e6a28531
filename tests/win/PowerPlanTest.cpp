// The power plan's "Allow wake timers" as the dialogs show it: the adapter over the powrprof
// calls (stand-ins for a plan, as Wine has none), and the PC settings dialog, the timer dialog and
// the timer list over a plan that says disabled, enabled, important only, or nothing.
#include "tests/win/SettingsDialogsKit.h"

#include <powrprof.h>

#include <cstring>

#include "settings/win32/Win32PowerPlan.h"
#include "settings/PowerSettings.h"
#include "settings/TimerDialogTexts.h"

namespace {

// ---- The adapter ----

struct PlanCalls {
  DWORD activeResult = ERROR_SUCCESS;
  DWORD mainsResult = ERROR_SUCCESS, mainsIndex = 0;
  DWORD batteryResult = ERROR_SUCCESS, batteryIndex = 0;
  BYTE batteryFlag = 128, acLine = 1;
  GUID scheme = {0x381b4222, 0xf694, 0x41f0, {0x96, 0x85, 0xff, 0x5b, 0xb2, 0x60, 0xdf, 0x2e}};  // "Balanced"
  int reads = 0, badReads = 0, freed = 0, opened = 0;
  std::wstring openedFile, openedParameters;
} g_plan;

GUID* g_handedOut = nullptr;

DWORD WINAPI ActiveScheme(HKEY, GUID** scheme) {
  if (g_plan.activeResult != ERROR_SUCCESS) return g_plan.activeResult;
  g_handedOut = static_cast<GUID*>(LocalAlloc(LMEM_FIXED, sizeof(GUID)));
  *g_handedOut = g_plan.scheme;
  *scheme = g_handedOut;
  return ERROR_SUCCESS;
}

DWORD Read(const GUID* scheme, const GUID* subgroup, const GUID* setting, LPDWORD index, DWORD result, DWORD value) {
  ++g_plan.reads;
  if (scheme == nullptr || !IsEqualGUID(*scheme, g_plan.scheme) || !IsEqualGUID(*subgroup, kSleepSubgroup) ||
      !IsEqualGUID(*setting, kAllowWakeTimers))
    ++g_plan.badReads;
  *index = value;
  return result;
}
DWORD WINAPI ReadMains(HKEY, const GUID* scheme, const GUID* subgroup, const GUID* setting, LPDWORD index) {
  return Read(scheme, subgroup, setting, index, g_plan.mainsResult, g_plan.mainsIndex);
}
DWORD WINAPI ReadBattery(HKEY, const GUID* scheme, const GUID* subgroup, const GUID* setting, LPDWORD index) {
  return Read(scheme, subgroup, setting, index, g_plan.batteryResult, g_plan.batteryIndex);
}
BOOL WINAPI PowerStatus(LPSYSTEM_POWER_STATUS status) {
  status->BatteryFlag = g_plan.batteryFlag;
  status->ACLineStatus = g_plan.acLine;
  return TRUE;
}
HINSTANCE WINAPI Execute(HWND, LPCWSTR, LPCWSTR file, LPCWSTR parameters, LPCWSTR, INT) {
  ++g_plan.opened;
  g_plan.openedFile = file;
  g_plan.openedParameters = parameters;
  return reinterpret_cast<HINSTANCE>(42);
}

TEST(PowerPlanAdapter, ReadsAllowWakeTimersOfTheActivePlanOnMainsAndBattery) {
  using S = WakeTimerSetting;
  struct Case {
    DWORD active, mainsResult, mainsIndex, batteryResult, batteryIndex;
    BYTE batteryFlag, acLine;
    WakeTimerReading expected;
    int reads;
  };
  const Case cases[] = {
      {ERROR_SUCCESS, 0, 0, 0, 1, 8, 1, {S::Disabled, S::Enabled, true, false}, 2},
      {ERROR_SUCCESS, 0, 1, 0, 2, 0, 0, {S::Enabled, S::ImportantOnly, true, true}, 2},
      {ERROR_SUCCESS, 0, 2, 0, 0, 128, 1, {S::ImportantOnly, S::Disabled, false, false}, 2},  // no battery
      {ERROR_SUCCESS, ERROR_FILE_NOT_FOUND, 1, 0, 7, 255, 0, {S::Unknown, S::Unknown, false, false}, 2},
      // No active plan (Wine): the readers, unimplemented there, are never called.
      {ERROR_CALL_NOT_IMPLEMENTED, 0, 1, 0, 1, 8, 1, {}, 0},
  };
  for (const Case& c : cases) {
    g_plan = {};
    g_plan.activeResult = c.active;
    g_plan.mainsResult = c.mainsResult;
    g_plan.mainsIndex = c.mainsIndex;
    g_plan.batteryResult = c.batteryResult;
    g_plan.batteryIndex = c.batteryIndex;
    g_plan.batteryFlag = c.batteryFlag;
    g_plan.acLine = c.acLine;
    Win32PowerPlan plan({ActiveScheme, ReadMains, ReadBattery, PowerStatus, Execute});
    const WakeTimerReading r = plan.ReadWakeTimers();
    const std::string which = "case " + std::to_string(&c - cases);
    EXPECT_EQ(r.mains, c.expected.mains) << which;
    EXPECT_EQ(r.battery, c.expected.battery) << which;
    EXPECT_EQ(r.hasBattery, c.expected.hasBattery) << which;
    EXPECT_EQ(r.onBattery, c.expected.onBattery) << which;
    EXPECT_EQ(g_plan.reads, c.reads) << which;
    EXPECT_EQ(g_plan.badReads, 0) << which;
  }
  Win32PowerPlan plan({ActiveScheme, ReadMains, ReadBattery, PowerStatus, Execute});
  EXPECT_TRUE(plan.OpenPowerOptions());
  EXPECT_EQ(g_plan.openedFile, L"control.exe");
  EXPECT_EQ(g_plan.openedParameters, L"powercfg.cpl,,3");
}

TEST(PowerPlanAdapter, WineHasNoPowerPlanSoNothingIsKnown) {
  // Where Windows names the active plan, this reads it; Wine 8's PowerGetActiveScheme fails.
  GUID* scheme = nullptr;
  const DWORD named = PowerGetActiveScheme(nullptr, &scheme);
  if (scheme) LocalFree(scheme);
  const WakeTimerReading reading = SystemPowerPlan().ReadWakeTimers();
  if (named != ERROR_SUCCESS) {
    EXPECT_FALSE(WakeTimersKnown(reading));
    EXPECT_EQ(WakeTimerLine(reading), "");
  } else {
    EXPECT_NE(reading.mains, WakeTimerSetting::Unknown);
  }
}

// ---- The dialogs over a plan that says what it says ----

class FakePowerPlan final : public IPowerPlan {
 public:
  WakeTimerReading ReadWakeTimers() override { return reading; }
  bool OpenPowerOptions() override {
    ++opened;
    return true;
  }
  WakeTimerReading reading;
  int opened = 0;
};

class PowerPlanDialogsTest : public SettingsDialogsTest {
 protected:
  FakePowerPlan plan;
};

// A click of the mouse on a link's first letters, as the link control sees it.
void ClickLink(HWND link) {
  const LPARAM at = MAKELPARAM(6, 5);
  SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(link, WM_LBUTTONUP, 0, at);
}

TEST_F(PowerPlanDialogsTest, PcSettingsShowWhatThePlanAllowsAndLinkToThePowerOptions) {
  using S = WakeTimerSetting;
  struct Case {
    WakeTimerReading reading;
    const char* line;
    const char* shot;
  };
  const Case cases[] = {
      {{S::Disabled, S::Disabled, true, false},
       "Allow wake timers (power plan): plugged in disabled, on battery disabled", "pc-settings-wake-disabled.png"},
      {{S::Enabled, S::Enabled, true, false}, "Allow wake timers (power plan): plugged in enabled, on battery enabled",
       "pc-settings-wake-enabled.png"},
      {{S::ImportantOnly, S::ImportantOnly, true, false},
       "Allow wake timers (power plan): plugged in important only, on battery important only",
       "pc-settings-wake-important.png"},
      {{}, "", nullptr},
  };
  for (const Case& c : cases) {
    plan.reading = c.reading;
    plan.opened = 0;
    CMySettingDlg dialog(tree);
    dialog.SetPowerPlan(plan);
    ModalScript run;
    bool shown = false;
    run.Until([] { return FindDialog("PC Setting") != nullptr; }).Do([&] {
      HWND dlg = FindDialog("PC Setting");
      shown = IsWindowVisible(Item(dlg, IDC_PC_WAKE_TIMERS)) != FALSE;
      EXPECT_EQ(IsWindowVisible(Item(dlg, IDC_PC_POWER_OPTIONS)) != FALSE, shown) << c.line;
      if (shown) {
        EXPECT_EQ(ItemText(dlg, IDC_PC_WAKE_TIMERS), c.line);
        SaveShot(dlg, c.shot);
        ClickLink(Item(dlg, IDC_PC_POWER_OPTIONS));
      }
      EXPECT_TRUE(IsChecked(dlg, IDC_PC_TASK_START)) << "on by default";
      ClickBox(dlg, IDC_PC_TASK_START);
      ClickBox(dlg, IDC_PC_SHUTDOWN_AFTER);  // pushes every box back: the cleared one stays clear
      EXPECT_FALSE(IsChecked(dlg, IDC_PC_TASK_START));
      ClickBox(dlg, IDC_PC_SHUTDOWN_AFTER);
      ClickCommand(dlg, IDOK);
    });
    run.Start();
    EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_EQ(shown, *c.line != '\0') << c.line;
    EXPECT_EQ(plan.opened, shown ? 1 : 0) << c.line;
    EXPECT_EQ(General(kLetWindowsStartValue), "0");
    Write(kGeneralKey, kLetWindowsStartValue, "1");
  }
}

TEST_F(PowerPlanDialogsTest, TimerDialogShowsTheLineAndTheListMarksWhatWillNotWake) {
  Write("TIMER_SETTING01", "ACTIVE", "1");
  Write("TIMER_SETTING01", "ITEM", "Morning News");
  Write(kGeneralKey, "WAKEUP", "0");
  plan.reading = {WakeTimerSetting::Disabled, WakeTimerSetting::Enabled, false, false};
  CTimerSetDlg dialog(tree);
  dialog.SetPowerPlan(plan);
  HWND dlg = nullptr, listDlg = nullptr;
  script.Until([&] { return (dlg = FindDialog("Recording Setting")) != nullptr; })
      .Do([&] {
        EXPECT_TRUE(IsWindowVisible(Item(dlg, IDC_TIMER_WAKE_TIMERS)));
        EXPECT_EQ(ItemText(dlg, IDC_TIMER_WAKE_TIMERS), "Allow wake timers (power plan): plugged in disabled");
        EXPECT_TRUE(IsWindowVisible(Item(dlg, IDC_TIMER_POWER_OPTIONS)));
        SaveShot(dlg, "timer-settings-wake-disabled.png");
        ClickLink(Item(dlg, IDC_TIMER_POWER_OPTIONS));
        ClickCommand(dlg, IDC_TIMER_LIST);
      })
      .Until([&] { return (listDlg = FindDialog("Show Timer setting")) != nullptr; })
      .Do([&] {
        HWND list = Item(listDlg, IDC_TIMER_LIST_VIEW);
        EXPECT_EQ(ListText(list, 0, 8), kOnNoWake);
        EXPECT_EQ(ListText(list, 1, 8), "OFF");
        EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 8, 0), 95);
        SaveShot(listDlg, "timer-list-no-wake.png");
        PressKey(VK_ESCAPE);
      })
      .Until([&] { return FindDialog("Recording Setting") == dlg; })
      .Do([&] { ClickCommand(dlg, IDCANCEL); });
  script.Start();
  EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
  EXPECT_EQ(plan.opened, 1);
}

}  // namespace
