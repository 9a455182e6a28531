#pragma once
// The main window's notification icon and tray menu: added when the window is made, its picture
// following the recording blink, put back when the shell restarts, menu 415 with the current
// band's preset names on a right click and "Start with Windows" checked as the Run entry is, and
// the scheduler's notifications as balloons. The window it sits on is given with each call; the
// object must outlive the window's messages.

#include <windows.h>

#include "app/Radio.h"
#include "app/TrayNotices.h"
#include "app/win32/MainDlgPorts.h"
#include "app/win32/WindowMessages.h"
#include "app/win32/PopupMenu.h"
#include "app/win32/TrayIcon.h"

class MainTray final : public ITrayIcon {
 public:
  static constexpr UINT kIconId = 415;  // the tray menu's number too

  // The menu names `radio`'s band's presets as `settings` store them.
  MainTray(HINSTANCE instance, const Radio& radio, SettingsStore& settings)
      : instance_(instance), radio_(radio), settings_(settings) {}
  MainTray(const MainTray&) = delete;
  MainTray& operator=(const MainTray&) = delete;

  // ITrayIcon
  // The deferred start's add; an icon already there (put back by a shell restart) is kept.
  void AddTrayIcon(HWND owner) override;
  void SetTrayPicture(int iconId) override { icon_.SetIcon(static_cast<UINT>(iconId)); }
  // Message 1034: wParam the icon id, lParam the mouse message. Always 0.
  LRESULT OnTrayNotify(HWND owner, WPARAM id, LPARAM mouseMessage) override;
  // The shell's "TaskbarCreated": it has forgotten the icon.
  void ReAddTrayIcon(HWND owner) override;
  bool OnTrayTimer(HWND owner, UINT_PTR id) override;
  // "Start with Windows".
  bool OnTrayCommand(int id) override;

  // Menu 415 as it opens: positions 5..16 named after the current band's presets, "Show Radio"
  // the default item. Empty when the menu cannot be loaded.
  UniqueMenu BuildTrayMenu();

  CTrayIcon& Icon() { return icon_; }

  void Notify(const std::string& title, const std::string& text) override;

  // The shell may not take the icon yet at log-on: the add is tried again this often, this many
  // times (a shell that starts later also says "TaskbarCreated").
  static constexpr UINT kRetryMs = 2000;
  static constexpr int kRetries = 60;
  static constexpr UINT_PTR kRetryTimer = kTimerTrayRetry;

 private:
  void Show(const std::optional<TrayNotice>& notice);

  HINSTANCE instance_;
  const Radio& radio_;
  SettingsStore& settings_;
  CTrayIcon icon_;
  TrayNotices notices_;
  int retriesLeft_ = kRetries;
};
