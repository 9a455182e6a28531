#pragma once
// What CMainDlg hands the messages of other parts to: the notification icon (its callback, the
// shell's restart, its timer and menu) and whoever keeps the power state (the power broadcasts).
// Implemented by MainTray and the scheduler's part, or by tests' stand-ins.

#include <windows.h>

#include <string>

// The notification icon as the window drives it.
class ITrayIcon {
 public:
  virtual ~ITrayIcon() = default;
  // The deferred start's add (callback message 1034, tooltip, icon 128).
  virtual void AddTrayIcon(HWND owner) = 0;
  // Icon resource the tray shows now.
  virtual void SetTrayPicture(int iconId) = 0;
  // Message 1034.
  virtual LRESULT OnTrayNotify(HWND owner, WPARAM id, LPARAM mouseMessage) = 0;
  // "TaskbarCreated": the shell has forgotten the icon.
  virtual void ReAddTrayIcon(HWND owner) = 0;
  // A timer of the tray's; false for any other.
  virtual bool OnTrayTimer(HWND owner, UINT_PTR id) = 0;
  // A command of the tray menu the window does not know; false for any other.
  virtual bool OnTrayCommand(int id) = 0;
  // A notification, shown when the icon is there (joined to one still unread), else when it comes.
  virtual void Notify(const std::string& title, const std::string& text) = 0;
};

// WM_POWERBROADCAST, answered by whoever keeps the power state.
class IPowerBroadcastSink {
 public:
  virtual ~IPowerBroadcastSink() = default;
  virtual LRESULT OnPowerBroadcast(WPARAM event) = 0;
};
