// What a screen reader in another process hears from kestrune-demo.exe without its focus moving:
// an out-of-context WinEvent hook on the program's process takes each live-region change and
// reads the element through AccessibleObjectFromEvent, as NVDA does, while the test presses F2
// and M, starts and stops a recording and lets a reservation start and end. The transcript is
// printed; each step must have been heard exactly once.
#include <windows.h>
#include <oleacc.h>
#include <shlwapi.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/win32/LiveRegion.h"
#include "app/win32/SingleInstance.h"
#include "resources/resource.h"
#include "schedule/ScheduleTable.h"
#include "settings/SettingsStore.h"
#include "tests/win/AudioWineDecode.h"
#include "tests/win/ProgramProcess.h"

namespace {

struct Line {
  DWORD at = 0;  // ms since the hook was set
  std::string text;
};
std::vector<Line> g_lines;
DWORD g_hooked = 0;

void CALLBACK OnLiveRegion(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
  Microsoft::WRL::ComPtr<IAccessible> target;
  VARIANT id;
  VariantInit(&id);
  std::string text = "(no object)";
  if (AccessibleObjectFromEvent(window, static_cast<DWORD>(object), static_cast<DWORD>(child), target.GetAddressOf(),
                                &id) == S_OK) {
    BSTR name = nullptr;
    target->get_accName(id, &name);
    char narrow[512] = {};
    if (name) WideCharToMultiByte(CP_ACP, 0, name, -1, narrow, sizeof narrow, nullptr, nullptr);
    SysFreeString(name);
    text = narrow;
  }
  g_lines.push_back({GetTickCount() - g_hooked, text});
}

LocalTime LocalNow() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wDayOfWeek, t.wHour, t.wMinute, t.wSecond};
}

// Pumps the hook's events for up to `ms`, until `count` lines have come.
void HearUntil(size_t count, DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  while (g_lines.size() < count && static_cast<LONG>(end - GetTickCount()) > 0) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(10);
  }
}

// Whatever else comes within `ms` is heard too (a second announcement would be a fault).
void HearFor(DWORD ms) { HearUntil(static_cast<size_t>(-1), ms); }

TEST(AnnouncementsProcess, AListenerInAnotherProcessHearsEachChangeOnce) {
  const std::string exe = wine_decode::WindowsPath(std::string(KESTRUNE_BINARY_DIR) + "/kestrune-demo.exe");
  if (GetFileAttributesA(exe.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "kestrune-demo.exe not built";
  ASSERT_EQ(FindRunningInstance(), nullptr) << "another copy is running";
  const std::string folder =
      wine_decode::WindowsPath(wine_decode::UnixOutputFolder() + "/spoken-" + std::to_string(GetCurrentProcessId()));
  CreateDirectoryA(wine_decode::WindowsPath(wine_decode::UnixOutputFolder()).c_str(), nullptr);
  CreateDirectoryA(folder.c_str(), nullptr);

  // Japan, FM 78.10 MHz (preset 1); preset 2 is Morning on 80.00 MHz; a reservation on 80.00 MHz
  // starts 25 s from now (never across midnight). The program stays after it: a close at its end
  // would take the live region away before a reader could read what it says.
  LocalTime start = LocalNow();
  if (start.hour == 23 && start.minute == 59 && start.second > 20) {
    Sleep(45000);
    start = LocalNow();
  }
  start = CivilTime(CivilSeconds(start) + 25);
  const LocalTime stop = CivilTime(CivilSeconds(start) + 4);
  SHDeleteKeyA(HKEY_CURRENT_USER, kSettingsRoot);
  for (auto [name, value] : {std::pair{"COUNTRY", "2"}, {"FM", "1"}, {"FREQ", "7810"}, {"VOLUME", "35"},
                             {"STEREO", "1"}, {"MP3BPS", "2"}, {"WAKEUP", "3"}, {"AUTOSPEND", "3"}, {"CLOSE", "0"},
                             {"SHUTDOWN", "0"}, {"STANDBY", "0"}})
    PlantSetting(kGeneralKey, name, value);
  PlantSetting(kGeneralKey, "RECORDFOLDER", folder);
  for (auto [name, value] : {std::pair{"CH01_ID", "Channel01"}, {"CH01_FRQ", "7810"}, {"CH02_ID", "Morning"},
                             {"CH02_FRQ", "8000"}})
    PlantSetting("CH_SET_FM_JAP", name, value);
  for (auto [name, value] : {std::pair{"ITEM", "Wine News"}, {"ACTIVE", "1"}, {"ISAMFM", "1"}, {"FREQ", "8000"},
                             {"QUALITY", "3"}, {"DATETYPE", "0"}})
    PlantSetting("TIMER_SETTING03", name, value);
  PlantSetting("TIMER_SETTING03", "DATE", DateText(start));
  PlantSetting("TIMER_SETTING03", "STARTTIME", TimeText(start));
  PlantSetting("TIMER_SETTING03", "ENDSTART", TimeText(stop));

  const UniqueHandle process = StartProgram(exe);
  ASSERT_TRUE(process);
  std::vector<std::string> steps = {"start"};
  // Whatever happens below, the transcript is printed and the program does not outlive the test.
  struct Ending {
    HANDLE process;
    const std::vector<std::string>& steps;
    ~Ending() {
      std::printf("What a listener in another process heard (time since it hooked, then the text):\n");
      for (size_t i = 0; i < g_lines.size(); ++i)
        std::printf("  %6.1f s  %-16s \"%s\"\n", g_lines[i].at / 1000.0, i < steps.size() ? steps[i].c_str() : "?",
                    g_lines[i].text.c_str());
      WaitForExit(process, 0);
    }
  } ending{process.Get(), steps};
  HWND window = WaitForMainWindow();
  ASSERT_NE(window, nullptr) << "the demo never showed its window";
  struct Com {
    bool entered = SUCCEEDED(CoInitialize(nullptr));
    ~Com() {
      if (entered) CoUninitialize();
    }
  } com;
  g_lines.clear();
  g_hooked = GetTickCount();
  struct Hook {
    HWINEVENTHOOK handle;
    ~Hook() {
      if (handle) UnhookWinEvent(handle);
    }
  } hook{SetWinEventHook(kEventObjectLiveRegionChanged, kEventObjectLiveRegionChanged, nullptr, OnLiveRegion,
                         GetProcessId(process.Get()), 0, WINEVENT_OUTOFCONTEXT)};
  ASSERT_NE(hook.handle, nullptr);

  // The deferred start brings the receiver up: the station is said once it is on.
  HearUntil(1, 10000);
  HearFor(1500);
  ASSERT_EQ(g_lines.size(), 1u) << "the start";
  auto step = [&](const char* what, UINT message, WPARAM wParam) {
    const size_t before = g_lines.size();
    PostMessageA(window, message, wParam, 0);
    HearUntil(before + 1, 5000);
    HearFor(1200);  // longer than the window's quiet time: a second announcement would come here
    EXPECT_EQ(g_lines.size(), before + 1) << what;
    steps.resize(g_lines.size(), what);
  };
  step("F2", WM_KEYDOWN, VK_F2);
  step("M", WM_KEYDOWN, 'M');
  step("recording start", WM_COMMAND, ID_REC_OPEN);
  step("recording stop", WM_COMMAND, ID_STOP_NOW);
  step("F1", WM_KEYDOWN, VK_F1);
  // The reservation: its start, and its end restoring the station.
  size_t before = g_lines.size();
  HearUntil(before + 1, 60000);
  steps.resize(g_lines.size(), "scheduled start");
  before = g_lines.size();
  HearUntil(before + 1, 20000);
  HearFor(1200);
  steps.resize(g_lines.size(), "scheduled end");
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_CLOSE, 0), 0);
  const DWORD exit = WaitForExit(process.Get(), 20000);
  HearFor(200);

  ASSERT_EQ(g_lines.size(), 8u);
  EXPECT_EQ(g_lines[0].text, "FM 78.10 MHz, preset 1, Channel01, stereo");
  EXPECT_EQ(g_lines[1].text, "FM 80.00 MHz, preset 2, Morning, stereo");
  EXPECT_EQ(g_lines[2].text, "FM 80.00 MHz, preset 2, Morning, stereo, muted");
  EXPECT_EQ(g_lines[3].text.rfind("Recording started, FM 80.00 MHz, preset 2, Morning, stereo, muted, 128 kbit/s, FM8000_", 0),
            0u);
  EXPECT_EQ(g_lines[4].text, "Recording stopped, FM 80.00 MHz, preset 2, Morning, stereo, muted");
  EXPECT_EQ(g_lines[5].text, "FM 78.10 MHz, preset 1, Channel01, stereo, muted");
  EXPECT_EQ(g_lines[6].text.rfind("Scheduled recording Wine News started, FM 80.00 MHz", 0), 0u);
  EXPECT_NE(g_lines[6].text.find(", 64 kbit/s, " + DateText(start) + "_" + TimeText(start) + ".mp3"),
            std::string::npos);
  EXPECT_EQ(g_lines[7].text.rfind("Scheduled recording Wine News ended, FM 78.10 MHz", 0), 0u);
  EXPECT_EQ(exit, 0u) << "the program did not close";

  const std::string recorded = DateText(start) + "_" + TimeText(start) + ".mp3";
  DeleteFileA((folder + "\\Wine News\\" + recorded).c_str());
  RemoveDirectoryA((folder + "\\Wine News").c_str());
  WIN32_FIND_DATAA found{};
  HANDLE find = FindFirstFileA((folder + "\\*.mp3").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do DeleteFileA((folder + "\\" + found.cFileName).c_str());
    while (FindNextFileA(find, &found));
    FindClose(find);
  }
  RemoveDirectoryA(folder.c_str());
  SHDeleteKeyA(HKEY_CURRENT_USER, kSettingsRoot);
}

}  // namespace
