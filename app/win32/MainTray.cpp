#include "app/win32/MainTray.h"

#include <cstring>

#include "app/TrayMenu.h"
#include "app/win32/StartWithWindows.h"
#include "resources/resource.h"
#include "resources/skin_ids.h"

namespace {

constexpr const char* kTooltip = "Kestrune";
constexpr UINT kFirstPresetPosition = 5;

}  // namespace

bool MainTray::OnTrayCommand(int id) {
  if (id != ID_START_WITH_WINDOWS) return false;
  SetStartWithWindows(!StartsWithWindows());
  return true;
}

void MainTray::AddTrayIcon(HWND owner) {
  // The shell's "TaskbarCreated" may have added the icon before the deferred start gets here (a
  // start at log-on): adding it again would be refused and leave the shown icon forgotten.
  if (!icon_.IsAdded()) icon_.Create(owner, kTrayCallbackMessage, kTooltip, nullptr, kIconId);
  if (!icon_.IsAdded()) {
    if (retriesLeft_-- > 0) ::SetTimer(owner, kRetryTimer, kRetryMs, nullptr);
    return;
  }
  KillTimer(owner, kRetryTimer);
  icon_.SetIcon(IDI_KESTRUNE);
  Show(notices_.IconAdded(GetTickCount64()));
}

void MainTray::ReAddTrayIcon(HWND owner) {
  icon_.Remove();
  notices_.IconLost();
  AddTrayIcon(owner);
}

bool MainTray::OnTrayTimer(HWND owner, UINT_PTR id) {
  if (id != kRetryTimer) return false;
  KillTimer(owner, kRetryTimer);
  AddTrayIcon(owner);
  return true;
}

void MainTray::Notify(const std::string& title, const std::string& text) {
  Show(notices_.Add(title, text, GetTickCount64()));
}

void MainTray::Show(const std::optional<TrayNotice>& notice) {
  if (notice) icon_.ShowBalloon(notice->title, notice->text);
}

UniqueMenu MainTray::BuildTrayMenu() {
  UniqueMenu menu(LoadMenuA(instance_, MAKEINTRESOURCEA(kIconId)));
  HMENU popup = menu ? GetSubMenu(menu.Get(), 0) : nullptr;
  if (!popup) return UniqueMenu();
  const auto names = TrayPresetNames(settings_, radio_.Band(), radio_.Region());
  for (UINT i = 0; i < names.size(); ++i) {
    char text[kTrayMenuTextChars] = {};
    std::memcpy(text, names[i].data(), names[i].size());  // at most kTrayMenuTextChars - 1
    MENUITEMINFOA item{};
    item.cbSize = sizeof item;
    // Only the text changes: the command stays, and an empty name stays an item (not a line).
    item.fMask = MIIM_STRING;
    item.dwTypeData = text;
    SetMenuItemInfoA(popup, kFirstPresetPosition + i, TRUE, &item);
  }
  SetMenuDefaultItem(popup, 0, TRUE);
  CheckMenuItem(popup, ID_START_WITH_WINDOWS, MF_BYCOMMAND | (StartsWithWindows() ? MF_CHECKED : MF_UNCHECKED));
  return menu;
}

LRESULT MainTray::OnTrayNotify(HWND owner, WPARAM id, LPARAM mouseMessage) {
  if (id != kIconId) return 0;
  // The balloon was clicked or went away: the next notification stands on its own.
  if (mouseMessage == NIN_BALLOONUSERCLICK || mouseMessage == NIN_BALLOONTIMEOUT || mouseMessage == NIN_BALLOONHIDE)
    notices_.Read();
  if (mouseMessage == WM_RBUTTONUP) {
    UniqueMenu menu = BuildTrayMenu();
    if (menu) TrackPopupAtCursor(menu.Get(), owner, TPM_LEFTALIGN | TPM_LEFTBUTTON);
  } else if (mouseMessage == WM_LBUTTONDBLCLK) {
    UniqueMenu menu(LoadMenuA(instance_, MAKEINTRESOURCEA(kIconId)));
    HMENU popup = menu ? GetSubMenu(menu.Get(), 0) : nullptr;
    if (!popup) return 0;
    SetForegroundWindow(owner);
    SendMessageA(owner, WM_COMMAND, MAKEWPARAM(GetMenuItemID(popup, 0), 0), 0);
  }
  return 0;
}
