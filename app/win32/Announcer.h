#pragma once
// Where the main window's announcements go, chosen once at run time: a UI Automation notification
// where uiautomationcore raises one (Windows 10 1709 and later), else the live region. One
// announcement goes one way only: NVDA and Narrator speak both, and would say it twice. The live
// region keeps the last text either way, for a review of it.

#include <windows.h>

#include <string>

#include "app/win32/LiveRegion.h"
#include "app/win32/UiaNotifier.h"

class Announcer {
 public:
  enum class Channel { None, Notification, LiveRegion };

  // The two elements under `parent`: the live region at `liveAt`, the notification window where
  // `uia` is complete.
  void Create(HWND parent, int liveRegionId, POINT liveAt, int notificationId, const UiaEntryPoints& uia);
  // Before the parent is destroyed.
  void Destroy();

  // Says `text`; which way it went (None before Create, or for an empty text).
  Channel Announce(const std::string& text);

  const LiveRegion& Live() const { return live_; }
  // The live region in the program's dialog that was in front at the last announcement, if any.
  const LiveRegion& DialogLive() const { return dialogLive_; }
  const UiaNotifier& Notifications() const { return notifications_; }

 private:
  // Where the live region speaks from: the main window's own, or, while a dialog of this thread
  // is in front, one made in that dialog (NVDA speaks live regions of the foreground window only).
  LiveRegion& LiveFor(HWND front);

  // Above every id of the dialogs' templates.
  static constexpr int kDialogLiveRegionId = 0x6B00;
  HWND parent_ = nullptr;
  LiveRegion live_;
  LiveRegion dialogLive_;
  UiaNotifier notifications_;
};
