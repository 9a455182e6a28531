#include "app/win32/Announcer.h"

void Announcer::Create(HWND parent, int liveRegionId, POINT liveAt, int notificationId, const UiaEntryPoints& uia) {
  parent_ = parent;
  live_.Create(parent, liveRegionId, liveAt);
  notifications_.Create(parent, notificationId, uia);
}

void Announcer::Destroy() {
  notifications_.Destroy();
  dialogLive_.Destroy();
  live_.Destroy();
}

LiveRegion& Announcer::LiveFor(HWND front) {
  if (!front || front == parent_ || GetWindowThreadProcessId(front, nullptr) != GetCurrentThreadId()) return live_;
  if (dialogLive_.Hwnd() && (!IsWindow(dialogLive_.Hwnd()) || GetParent(dialogLive_.Hwnd()) != front)) {
    // The dialog it was made in has gone or is behind another: its element goes with it.
    HWND made = dialogLive_.Hwnd();
    // Only while the handle is still the static made here: a dead dialog's may name another window.
    if (IsWindow(made) && GetWindowThreadProcessId(made, nullptr) == GetCurrentThreadId() &&
        GetDlgCtrlID(made) == kDialogLiveRegionId)
      DestroyWindow(made);
    dialogLive_.Destroy();
  }
  if (!dialogLive_.Hwnd() && !dialogLive_.Create(front, kDialogLiveRegionId, POINT{0, 0})) return live_;
  return dialogLive_;
}

Announcer::Channel Announcer::Announce(const std::string& text) {
  if (text.empty() || !live_.Hwnd()) return Channel::None;
  if (notifications_.Notify(text)) {
    live_.SetText(text);
    return Channel::Notification;
  }
  LiveRegion& region = LiveFor(GetForegroundWindow());
  if (&region != &live_) live_.SetText(text);
  region.Announce(text);
  return Channel::LiveRegion;
}
