// The notification icon against Wine's shell: an icon the shell already holds for the window and
// id (an add that timed out at a slow log-on but was carried out) is taken as there, carries the
// notifications and goes at the end.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstring>

#include "app/win32/TrayIcon.h"
#include "resources/skin_ids.h"

namespace {

TEST(TrayIcon, AnIconTheShellAlreadyHoldsIsTakenAsThereAndRemovedAtTheEnd) {
  const HWND owner = CreateWindowExA(0, "STATIC", "tray owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                     nullptr);
  ASSERT_NE(owner, nullptr);
  NOTIFYICONDATAA earlier{};
  earlier.cbSize = NOTIFYICONDATAA_V2_SIZE;
  earlier.hWnd = owner;
  earlier.uID = 415;
  earlier.uFlags = NIF_TIP;
  std::strcpy(earlier.szTip, "the add that timed out");
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &earlier)) << "no shell to hold an icon";
  ASSERT_FALSE(Shell_NotifyIconA(NIM_ADD, &earlier)) << "the shell refuses the same icon twice";
  {
    CTrayIcon icon;
    EXPECT_TRUE(icon.Create(owner, 1034, "Kestrune", nullptr, 415));
    EXPECT_TRUE(icon.IsAdded());
    EXPECT_TRUE(icon.SetIcon(IDI_KESTRUNE)) << "the picture reaches it";
    EXPECT_TRUE(icon.ShowBalloon("Kestrune", "The receiver was removed.")) << "and the notifications";
  }
  EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &earlier)) << "the icon went with its owner: no ghost";

  // Another window's icon of the same id is not this one's.
  const HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  NOTIFYICONDATAA othersIcon = earlier;
  othersIcon.hWnd = other;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &othersIcon));
  {
    CTrayIcon icon;
    EXPECT_TRUE(icon.Create(owner, 1034, "Kestrune", nullptr, 415));
    icon.Remove();
    EXPECT_FALSE(icon.IsAdded());
  }
  EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &othersIcon)) << "the other window's icon stays";
  Shell_NotifyIconA(NIM_DELETE, &othersIcon);
  Shell_NotifyIconA(NIM_DELETE, &earlier);  // no ghost for the tests after, whatever happened
  DestroyWindow(other);
  DestroyWindow(owner);
}

}  // namespace
