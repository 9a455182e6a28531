#pragma once
// Fixed colours of a dialog: its background brush and the colour of its static texts. Other
// controls keep the system colours. The brush lives as long as this object.

#include <windows.h>

#include "base/win32/GdiHandles.h"
#include "controls/win32/Subclass.h"

class CMyCtrlColor {
 public:
  CMyCtrlColor(COLORREF text, COLORREF background);

  // Answers the colour messages of `dialog` from now on (a subclass of the dialog window).
  bool Attach(HWND dialog);
  // For a dialog procedure that answers the messages itself: true with `result` set if handled.
  bool Handle(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) const;
  HBRUSH Brush() const { return brush_.Get(); }
  COLORREF TextColour() const { return text_; }

 private:
  COLORREF text_;
  UniqueBrush brush_;
  WindowSubclass subclass_;
};
