// Where an announcement goes, chosen at run time: Wine 8's uiautomationcore lacks
// UiaRaiseNotificationEvent, so here the live region speaks; with the entry point present (a
// stand-in for Windows 10's, which records what it is given) the notification carries the text
// from its own window and the live region stays quiet, so no reader hears it twice.
#include <windows.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/win32/Announcer.h"
#include "tests/win/PixelGrab.h"

namespace {

struct Raised {
  IRawElementProviderSimple* provider = nullptr;
  int kind = 0, processing = 0;
  std::wstring text, activity;
};
std::vector<Raised> g_raised;
HRESULT g_raiseResult = S_OK;

HRESULT WINAPI RecordNotification(IRawElementProviderSimple* provider, int kind, int processing, BSTR text,
                                  BSTR activity) {
  g_raised.push_back({provider, kind, processing, text ? text : L"", activity ? activity : L""});
  return g_raiseResult;
}

std::vector<std::pair<HWND, std::string>> g_live;

void CALLBACK OnLiveRegion(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
  Microsoft::WRL::ComPtr<IAccessible> target;
  VARIANT id;
  VariantInit(&id);
  std::string text = "(no object)";
  if (AccessibleObjectFromEvent(window, static_cast<DWORD>(object), static_cast<DWORD>(child), target.GetAddressOf(),
                                &id) == S_OK) {
    BSTR name = nullptr;
    target->get_accName(id, &name);
    char narrow[256] = {};
    if (name) WideCharToMultiByte(CP_ACP, 0, name, -1, narrow, sizeof narrow, nullptr, nullptr);
    SysFreeString(name);
    text = narrow;
  }
  g_live.emplace_back(window, text);
}

class AnnouncerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    comEntered = SUCCEEDED(CoInitialize(nullptr));
    parent = CreateWindowExA(0, "Static", "Kestrune", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    SetForegroundWindow(parent);
    uia = UiaEntryPoints::Find(module);
    hook = SetWinEventHook(kEventObjectLiveRegionChanged, kEventObjectLiveRegionChanged, nullptr, OnLiveRegion,
                           GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    g_live.clear();
    g_raised.clear();
    g_raiseResult = S_OK;
  }
  void TearDown() override {
    if (hook) UnhookWinEvent(hook);
    announcer.Destroy();
    if (parent) DestroyWindow(parent);
    if (comEntered) CoUninitialize();
  }

  bool comEntered = false;
  HWND parent = nullptr;
  UniqueModule module;
  UiaEntryPoints uia;
  HWINEVENTHOOK hook = nullptr;
  Announcer announcer;
};

TEST_F(AnnouncerTest, WithoutTheNotificationEveryTextIsOneLiveRegionChangeTheSameTextAgainToo) {
  // What Wine 8 offers: the window answers UI Automation, but cannot raise a notification.
  EXPECT_NE(uia.returnProvider, nullptr);
  EXPECT_EQ(uia.raiseNotification, nullptr);
  announcer.Create(parent, 1150, POINT{10, 10}, 1151, uia);
  EXPECT_EQ(announcer.Notifications().Hwnd(), nullptr);
  HWND live = announcer.Live().Hwnd();
  ASSERT_NE(live, nullptr);
  RECT rc{};
  GetClientRect(live, &rc);
  EXPECT_EQ(rc.right * rc.bottom, 1);  // one pixel, in place and painting nothing

  EXPECT_EQ(announcer.Announce("FM 80.00 MHz, preset 2, Morning, stereo, muted"), Announcer::Channel::LiveRegion);
  EXPECT_EQ(announcer.Announce("FM 80.00 MHz, preset 2, Morning, stereo, muted"), Announcer::Channel::LiveRegion);
  EXPECT_EQ(announcer.Announce(""), Announcer::Channel::None);
  PumpMessages(50);
  const std::pair<HWND, std::string> heard{live, "FM 80.00 MHz, preset 2, Morning, stereo, muted"};
  EXPECT_EQ(g_live, (std::vector<std::pair<HWND, std::string>>{heard, heard}));
}

TEST_F(AnnouncerTest, WhileADialogOfTheProgramIsInFrontTheLiveRegionSpeaksFromThatDialog) {
  announcer.Create(parent, 1150, POINT{10, 10}, 1151, uia);
  HWND dialog = CreateWindowExA(0, "Static", "Recording Setting", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, parent,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(dialog, nullptr);
  SetForegroundWindow(dialog);
  ASSERT_EQ(GetForegroundWindow(), dialog);
  EXPECT_EQ(announcer.Announce("Scheduled recording Morning started"), Announcer::Channel::LiveRegion);
  PumpMessages(50);
  HWND inDialog = announcer.DialogLive().Hwnd();
  ASSERT_NE(inDialog, nullptr);
  EXPECT_EQ(GetParent(inDialog), dialog);
  EXPECT_EQ(g_live, (std::vector<std::pair<HWND, std::string>>{{inDialog, "Scheduled recording Morning started"}}));
  char text[64] = {};
  GetWindowTextA(announcer.Live().Hwnd(), text, sizeof text);
  EXPECT_STREQ(text, "Scheduled recording Morning started");  // the window's own keeps it for a review

  // The dialog closed, the window in front again: its own live region speaks.
  DestroyWindow(dialog);
  SetForegroundWindow(parent);
  g_live.clear();
  EXPECT_EQ(announcer.Announce("FM 80.00 MHz"), Announcer::Channel::LiveRegion);
  PumpMessages(50);
  EXPECT_EQ(g_live, (std::vector<std::pair<HWND, std::string>>{{announcer.Live().Hwnd(), "FM 80.00 MHz"}}));
}

TEST_F(AnnouncerTest, WithTheNotificationItComesFromItsOwnWindowAndTheLiveRegionOnlyKeepsTheText) {
  ASSERT_NE(uia.returnProvider, nullptr);
  ASSERT_NE(uia.hostProvider, nullptr);
  uia.raiseNotification = RecordNotification;
  announcer.Create(parent, 1150, POINT{10, 10}, 1151, uia);
  HWND notifications = announcer.Notifications().Hwnd();
  ASSERT_NE(notifications, nullptr);
  EXPECT_EQ(GetParent(notifications), parent);

  EXPECT_EQ(announcer.Announce("Recording started"), Announcer::Channel::Notification);
  PumpMessages(50);
  EXPECT_TRUE(g_live.empty());
  ASSERT_EQ(g_raised.size(), 1u);
  EXPECT_EQ(g_raised[0].text, L"Recording started");
  EXPECT_EQ(g_raised[0].activity, L"Kestrune.Radio");
  EXPECT_EQ(g_raised[0].kind, 4);        // NotificationKind_Other
  EXPECT_EQ(g_raised[0].processing, 4);  // NotificationProcessing_CurrentThenMostRecent
  char text[64] = {};
  GetWindowTextA(announcer.Live().Hwnd(), text, sizeof text);
  EXPECT_STREQ(text, "Recording started");  // kept for a review

  // The provider raised is the notification window's: its host is that window, which alone
  // answers UI Automation; the parent (the main window) stays an MSAA window.
  IRawElementProviderSimple* provider = g_raised[0].provider;
  ASSERT_EQ(provider, announcer.Notifications().Provider());
  Microsoft::WRL::ComPtr<IRawElementProviderSimple> host;
  ASSERT_EQ(provider->get_HostRawElementProvider(host.GetAddressOf()), S_OK);
  ASSERT_NE(host, nullptr);
  VARIANT name;
  ASSERT_EQ(provider->GetPropertyValue(30005, &name), S_OK);  // UIA_NamePropertyId
  EXPECT_EQ(std::wstring(name.vt == VT_BSTR ? name.bstrVal : L""), L"Radio announcements");
  VariantClear(&name);
  EXPECT_NE(SendMessageW(notifications, WM_GETOBJECT, 0, static_cast<LPARAM>(-25)), 0);  // UiaRootObjectId
  EXPECT_EQ(SendMessageW(parent, WM_GETOBJECT, 0, static_cast<LPARAM>(-25)), 0);
  // The main window is a WS_POPUP: the raising provider also serves the Window control pattern.
  Microsoft::WRL::ComPtr<IUnknown> pattern;
  ASSERT_EQ(provider->GetPatternProvider(10009, pattern.GetAddressOf()), S_OK);  // UIA_WindowPatternId
  ASSERT_NE(pattern, nullptr);
  Microsoft::WRL::ComPtr<IUnknown> window;
  EXPECT_EQ(pattern->QueryInterface(NotificationWindowPatternIid(), reinterpret_cast<void**>(window.GetAddressOf())), S_OK);
  VARIANT available;
  ASSERT_EQ(provider->GetPropertyValue(30044, &available), S_OK);  // UIA_IsWindowPatternAvailablePropertyId
  EXPECT_TRUE(available.vt == VT_BOOL && available.boolVal == VARIANT_TRUE);
  Microsoft::WRL::ComPtr<IUnknown> none;
  EXPECT_EQ(provider->GetPatternProvider(10002, none.GetAddressOf()), S_OK);  // Value: not served
  EXPECT_EQ(none, nullptr);

  // A notification that UI Automation refuses goes out through the live region instead.
  g_raiseResult = E_FAIL;
  EXPECT_EQ(announcer.Announce("Recording stopped"), Announcer::Channel::LiveRegion);
  PumpMessages(50);
  EXPECT_EQ(g_live, (std::vector<std::pair<HWND, std::string>>{{announcer.Live().Hwnd(), "Recording stopped"}}));

  // The window goes first, before its parent, with UI Automation told to let go of it.
  announcer.Destroy();
  EXPECT_FALSE(IsWindow(notifications));
}

}  // namespace
