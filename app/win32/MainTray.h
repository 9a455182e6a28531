#pragma once
// The main window's notification icon and tray menu: added when the window is made, its picture
// following the recording blink, put back when the shell restarts, menu 415 with the current
// band's preset names on a right click and "Start with Windows" checked as the Run entry is, and
// the scheduler's notifications as balloons. Install before the window is created; the object must
// outlive the window's messages.

#include <windows.h>

#include "app/TrayNotices.h"
#include "app/win32/MainDlg.h"
#include "app/win32/PopupMenu.h"
#include "app/win32/TrayIcon.h"

class MainTray {
 public:
  static constexpr UINT kCallbackMessage = WM_USER + 10;  // 1034
  static constexpr UINT kIconId = 415;                     // the tray menu's number too

  MainTray(CMainDlg& dialog, HINSTANCE instance) : dialog_(dialog), instance_(instance) {}
  MainTray(const MainTray&) = delete;
  MainTray& operator=(const MainTray&) = delete;

  // Fills the dialog's tray hooks.
  void Install();

  // The deferred start's add; an icon already there (put back by a shell restart) is kept.
  void AddTrayIcon(HWND owner);
  // Message 1034: wParam the icon id, lParam the mouse message. Always 0.
  LRESULT OnTrayNotify(WPARAM id, LPARAM mouseMessage);
  // The shell's "TaskbarCreated": it has forgotten the icon.
  void ReAddTrayIcon();

  // Menu 415 as it opens: positions 5..16 named after the current band's presets, "Show Radio"
  // the default item. Empty when the menu cannot be loaded.
  UniqueMenu BuildTrayMenu();

  CTrayIcon& Icon() { return icon_; }

  // A notification, shown when the icon is there (joined to one still unread), else when it comes.
  void Notify(const std::string& title, const std::string& text);

  // The shell may not take the icon yet at log-on: the add is tried again this often, this many
  // times (a shell that starts later also says "TaskbarCreated").
  static constexpr UINT kRetryMs = 2000;
  static constexpr int kRetries = 60;
  static constexpr UINT_PTR kRetryTimer = 0x4B54;

 private:
  void Show(const std::optional<TrayNotice>& notice);
  bool OnTimer(UINT_PTR id);

  CMainDlg& dialog_;
  HINSTANCE instance_;
  CTrayIcon icon_;
  TrayNotices notices_;
  int retriesLeft_ = kRetries;
};
