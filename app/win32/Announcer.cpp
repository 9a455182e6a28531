#include "app/win32/Announcer.h"

void Announcer::Create(HWND parent, int liveRegionId, POINT liveAt, int notificationId, const UiaEntryPoints& uia) {
  live_.Create(parent, liveRegionId, liveAt);
  notifications_.Create(parent, notificationId, uia);
}

void Announcer::Destroy() {
  notifications_.Destroy();
  live_.Destroy();
}

Announcer::Channel Announcer::Announce(const std::string& text) {
  if (text.empty() || !live_.Hwnd()) return Channel::None;
  if (notifications_.Notify(text)) {
    live_.SetText(text);
    return Channel::Notification;
  }
  live_.Announce(text);
  return Channel::LiveRegion;
}
