#pragma once
// Trackbars painted from pictures: the thumb and the channel come from bitmaps, tick marks are
// left to the control, and a click beside the thumb jumps there at once. The parent reflects
// WM_NOTIFY (custom draw) to the control. A click leaves the focus where it was (no focus
// rectangle over the picture), but a slider the keyboard reached keeps it, so that the arrow
// keys move it and a screen reader reads it.

#include <windows.h>

#include "base/win32/GdiHandles.h"
#include "controls/win32/Subclass.h"

class SkinnedSlider {
 public:
  SkinnedSlider(const SkinnedSlider&) = delete;
  SkinnedSlider& operator=(const SkinnedSlider&) = delete;
  virtual ~SkinnedSlider() = default;

  bool Attach(HWND trackbar);
  HWND Hwnd() const { return subclass_.Hwnd(); }

 protected:
  SkinnedSlider(int thumbBitmap, int thumbWidth);
  virtual void DrawChannel(HDC dc, const RECT& channel) = 0;
  HIMAGELIST LoadOnce(UniqueImageList& list, int bitmapId, int width, COLORREF transparent);

 private:
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnCustomDraw(NMCUSTOMDRAW& draw);
  LRESULT OnLeftButtonDown(WPARAM wParam, LPARAM lParam);

  int thumbBitmap_;
  int thumbWidth_;
  bool clicked_ = false;  // the focus came with a mouse click
  UniqueImageList thumb_;
  WindowSubclass subclass_;
};

// Volume slider 1033: white under the channel, then bitmap 410 at the channel's left, y 8.
class CMySlider : public SkinnedSlider {
 public:
  CMySlider();

 protected:
  void DrawChannel(HDC dc, const RECT& channel) override;

 private:
  UniqueImageList channel_;
};

// Playback position slider 1148: bitmap 431 at (0, 0), then 428 at the channel's left, y 6.
class CMySliderA : public SkinnedSlider {
 public:
  CMySliderA();

 protected:
  void DrawChannel(HDC dc, const RECT& channel) override;

 private:
  UniqueImageList back_;
  UniqueImageList channel_;
};
