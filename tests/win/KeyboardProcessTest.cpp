// What a screen reader in another process follows while kestrune-demo.exe is used from the
// keyboard alone. An out-of-context WinEvent hook takes each focus, value and live-region event
// and reads the element as NVDA does; the transcript is printed.
// - Tab to FM, Space, Tab, Space on Seek up, then AM: after every key the program's thread still
//   has a focused control that is enabled and shown (Windows sets the focus of a disabled window
//   to nothing, and the keyboard then goes dead).
// - T, then Tab to Start, Right and Up: the time picker has a value and its change is heard.
#include <windows.h>
#include <oleacc.h>
#include <shlwapi.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/win32/LiveRegion.h"
#include "app/win32/SingleInstance.h"
#include "resources/resource.h"
#include "resources/settings_ids.h"
#include "settings/SettingsStore.h"
#include "tests/win/AudioWineDecode.h"
#include "tests/win/ProgramProcess.h"

namespace {

struct Heard {
  DWORD at = 0;
  DWORD event = 0;
  std::string name;
  bool unavailable = false;
  std::string value;
};
std::vector<Heard> g_heard;
DWORD g_hookedAt = 0;

void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
  Microsoft::WRL::ComPtr<IAccessible> target;
  VARIANT id;
  VariantInit(&id);
  Heard heard{GetTickCount() - g_hookedAt, event, "(no object)", false, {}};
  if (AccessibleObjectFromEvent(window, static_cast<DWORD>(object), static_cast<DWORD>(child), target.GetAddressOf(),
                                &id) != S_OK)
    return g_heard.push_back(heard);
  BSTR name = nullptr;
  target->get_accName(id, &name);
  char narrow[512] = {};
  if (name) WideCharToMultiByte(CP_ACP, 0, name, -1, narrow, sizeof narrow, nullptr, nullptr);
  SysFreeString(name);
  heard.name = narrow;
  BSTR value = nullptr;
  if (target->get_accValue(id, &value) == S_OK && value) {
    char text[256] = {};
    WideCharToMultiByte(CP_ACP, 0, value, -1, text, sizeof text, nullptr, nullptr);
    heard.value = text;
  }
  SysFreeString(value);
  VARIANT state;
  VariantInit(&state);
  if (target->get_accState(id, &state) == S_OK && state.vt == VT_I4)
    heard.unavailable = (state.lVal & STATE_SYSTEM_UNAVAILABLE) != 0;
  g_heard.push_back(heard);
}

void Pump(DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  while (static_cast<LONG>(end - GetTickCount()) > 0) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(10);
  }
}

// The program's focused window, as a reader's "where am I" finds it.
HWND FocusOf(DWORD thread) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

const char* EventName(DWORD event) {
  switch (event) {
    case EVENT_OBJECT_FOCUS: return "focus";
    case EVENT_OBJECT_VALUECHANGE: return "value";
    case kEventObjectLiveRegionChanged: return "said";
    default: return "key";
  }
}

// kestrune-demo.exe started over the given settings, a listener hooked on its process, and keys
// sent to whatever has its focus, through the program's own loop, as typing does.
class KeyboardProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    exe_ = wine_decode::WindowsPath(std::string(KESTRUNE_BINARY_DIR) + "/kestrune-demo.exe");
    if (GetFileAttributesA(exe_.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "kestrune-demo.exe not built";
    ASSERT_EQ(FindRunningInstance(), nullptr) << "another copy is running";
    SHDeleteKeyA(HKEY_CURRENT_USER, kSettingsRoot);
    g_heard.clear();
    com_ = SUCCEEDED(CoInitialize(nullptr));
  }
  void TearDown() override {
    std::printf("What a listener in another process followed (time since it hooked, the event or key):\n");
    const Heard* last = nullptr;
    for (const Heard& h : g_heard) {
      // The focus is raised on the button's own window and on its child of the window's tree:
      // a reader hears one of them.
      if (last && h.event != 0 && h.event == last->event && h.name == last->name && std::abs(static_cast<long>(h.at - last->at)) < 50)
        continue;
      last = &h;
      std::printf("  %6.2f s  %-6s \"%s\"%s%s%s\n", h.at / 1000.0, EventName(h.event), h.name.c_str(),
                  h.value.empty() ? "" : ", ", h.value.c_str(), h.unavailable ? " (unavailable)" : "");
    }
    for (HWINEVENTHOOK hook : hooks_) UnhookWinEvent(hook);
    if (process_) {
      // The dialog, if one is open, is cancelled first; the window then closes.
      if (HWND dialog = GetForegroundWindow(); dialog && dialog != window_ &&
                                               GetWindowThreadProcessId(dialog, nullptr) == thread_)
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      Pump(300);
      PostMessageA(window_, WM_COMMAND, MAKEWPARAM(IDC_CLOSE, 0), 0);
      WaitForExit(process_.Get(), 20000);
    }
    if (com_) CoUninitialize();
    SHDeleteKeyA(HKEY_CURRENT_USER, kSettingsRoot);
  }

  // Starts the program and hooks it once its receiver is up.
  void Start() {
    process_ = StartProgram(exe_);
    ASSERT_TRUE(process_);
    window_ = WaitForMainWindow();
    ASSERT_NE(window_, nullptr) << "the demo never showed its window";
    thread_ = GetWindowThreadProcessId(window_, nullptr);
    Pump(2500);  // the deferred start brings the receiver up
    g_hookedAt = GetTickCount();
    for (DWORD event : {DWORD{EVENT_OBJECT_FOCUS}, DWORD{EVENT_OBJECT_VALUECHANGE}, kEventObjectLiveRegionChanged})
      hooks_.push_back(SetWinEventHook(event, event, nullptr, OnEvent, GetProcessId(process_.Get()), 0,
                                       WINEVENT_OUTOFCONTEXT));
    for (HWINEVENTHOOK hook : hooks_) ASSERT_NE(hook, nullptr);
  }

  // One key on the focused window; afterwards something usable still has the focus.
  void Press(const char* what, WPARAM vk) {
    HWND target = FocusOf(thread_);
    ASSERT_NE(target, nullptr) << "no focus before " << what;
    g_heard.push_back({GetTickCount() - g_hookedAt, 0, what, false, {}});
    PostMessageA(target, WM_KEYDOWN, vk, 0);
    PostMessageA(target, WM_KEYUP, vk, 0xC0000001);
    Pump(300);  // past the 100-210 ms in which a disabled focus used to fall into nothing
    HWND now = FocusOf(thread_);
    ASSERT_NE(now, nullptr) << "no focused control after " << what;
    EXPECT_TRUE(IsWindowEnabled(now) && IsWindowVisible(now)) << "the focus is on an unusable control after " << what;
  }
  int FocusedId() { return GetDlgCtrlID(FocusOf(thread_)); }
  // Tab until the control `id` has the focus (at most a round of the window).
  void TabTo(int id) {
    for (int i = 0; i < 45 && FocusedId() != id; ++i) Press("Tab", VK_TAB);
    ASSERT_EQ(FocusedId(), id);
  }

  std::string exe_;
  UniqueHandle process_;
  HWND window_ = nullptr;
  DWORD thread_ = 0;
  std::vector<HWINEVENTHOOK> hooks_;
  bool com_ = false;
};

TEST_F(KeyboardProcess, FmAndSeekFromTheKeyboardLeaveAFocusedEnabledControl) {
  // Japan, AM 810 kHz: FM is a change of band, and Seek up on FM finds the demo's 78.30 MHz.
  for (auto [name, value] : {std::pair{"COUNTRY", "2"}, {"FM", "0"}, {"FREQ_AM", "810"}, {"FREQ", "7610"},
                             {"VOLUME", "35"}, {"STEREO", "1"}})
    PlantSetting(kGeneralKey, name, value);
  Start();

  TabTo(IDC_FM);
  Press("Space on FM", VK_SPACE);
  EXPECT_NE(FocusedId(), IDC_FM);
  Pump(1700);  // the band buttons are usable again
  EXPECT_EQ(FocusedId(), IDC_FM) << "the focus comes back to FM";
  TabTo(IDC_SEEK_UP);
  Press("Space on Seek up", VK_SPACE);
  // The seek settles on the demo's next station and gives its buttons back.
  for (int i = 0; i < 50 && FocusedId() != IDC_SEEK_UP; ++i) Pump(100);
  EXPECT_EQ(FocusedId(), IDC_SEEK_UP) << "the focus comes back to Seek up";
  TabTo(IDC_AM);
  Press("Space on AM", VK_SPACE);
  Press("Tab", VK_TAB);
  Pump(1700);

  // Nothing the reader was taken to was a control that could not be used.
  for (const Heard& h : g_heard) {
    if (h.event == EVENT_OBJECT_FOCUS) {
      EXPECT_FALSE(h.unavailable) << h.name;
    }
  }
}

TEST_F(KeyboardProcess, TheTimerDialogsStartPickerHasAValueAndItsChangeIsHeard) {
  for (auto [name, value] : {std::pair{"COUNTRY", "2"}, {"FM", "1"}, {"FREQ", "7610"}})
    PlantSetting(kGeneralKey, name, value);
  for (auto [name, value] : {std::pair{"ITEM", "Morning"}, {"ISAMFM", "1"}, {"FREQ", "8000"}, {"DATETYPE", "0"},
                             {"DATE", "20261207"}, {"STARTTIME", "070000"}, {"ENDSTART", "080000"}})
    PlantSetting("TIMER_SETTING01", name, value);
  Start();

  PostMessageA(window_, WM_KEYDOWN, 'T', 0);
  Pump(1500);
  HWND dialog = GetForegroundWindow();
  ASSERT_NE(dialog, window_);
  ASSERT_NE(GetDlgItem(dialog, IDC_TIMER_START), nullptr) << "the timer dialog did not open";
  TabTo(IDC_TIMER_START);
  // Wine's picker selects no part when the focus comes (Windows' selects the first): Right takes
  // one, Up then moves it on.
  Press("Right on Start", VK_RIGHT);
  Press("Up on Start", VK_UP);
  Pump(500);

  const Heard* change = nullptr;
  for (const Heard& h : g_heard)
    if (h.event == EVENT_OBJECT_VALUECHANGE && h.name == "Start") change = &h;
  ASSERT_NE(change, nullptr) << "no value change of Start was heard";
  // The field under the cursor moved on from the reservation's 07:00:00, read as a time.
  ASSERT_EQ(change->value.size(), 8u) << change->value;
  EXPECT_EQ(change->value[2], ':');
  EXPECT_EQ(change->value[5], ':');
  EXPECT_NE(change->value, "07:00:00");
  const Heard* focused = nullptr;
  for (const Heard& h : g_heard)
    if (h.event == EVENT_OBJECT_FOCUS && h.name == "Start") focused = &h;
  ASSERT_NE(focused, nullptr);
  EXPECT_FALSE(focused->value.empty()) << "Start was focused without a value";
}

}  // namespace
