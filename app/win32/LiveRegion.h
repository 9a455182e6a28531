#pragma once
// The main window's live region: a static child, one pixel in the readout's corner and painting
// nothing, whose accessible name is the last announcement. Setting a text raises
// EVENT_OBJECT_LIVEREGIONCHANGED on it, which NVDA speaks by the object's name wherever the focus
// is (its event_liveRegionChange), and which UI Automation hands to Narrator as a live region
// change. The element is marked polite through IAccPropServices where oleacc offers that.

#include <windows.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <string>

#include "controls/win32/Subclass.h"

// Not in MinGW's headers (Windows 8 and later).
inline constexpr DWORD kEventObjectLiveRegionChanged = 0x8019;

class LiveRegion {
 public:
  LiveRegion() = default;
  LiveRegion(const LiveRegion&) = delete;
  LiveRegion& operator=(const LiveRegion&) = delete;

  // The static is made at `at` (client pixels) of `parent` with control id `id`; it lives as long
  // as the parent. COM must be entered for the politeness mark; without it the element is still
  // a live region, one that readers treat as polite by default.
  bool Create(HWND parent, int id, POINT at);
  // Detaches what oleacc keeps about the element; before the parent is destroyed.
  void Destroy();
  HWND Hwnd() const { return hwnd_; }

  // The element's name becomes `text` and the change is raised, even for the same text again:
  // each call is one announcement.
  void Announce(const std::string& text);
  // The name only, without an event, for a review of the element.
  void SetText(const std::string& text);

 private:
  HWND hwnd_ = nullptr;
  WindowSubclass quiet_;  // paints nothing: the skin under it shows
  Microsoft::WRL::ComPtr<IAccPropServices> props_;
};
