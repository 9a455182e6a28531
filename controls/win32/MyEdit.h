#pragma once
// Edit fields that filter typed characters: CMyEdit for numbers with one decimal point, CMyEditA
// for names of at most 20 typed characters with pasting refused.

#include <windows.h>

#include "controls/win32/Subclass.h"

class CMyEdit {
 public:
  bool Attach(HWND edit);
  HWND Hwnd() const { return subclass_.Hwnd(); }

 private:
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  WindowSubclass subclass_;
};

class CMyEditA {
 public:
  bool Attach(HWND edit);
  HWND Hwnd() const { return subclass_.Hwnd(); }
  // The window that took the focus when the field last lost it, for the parent's EN_KILLFOCUS,
  // which does not say where the focus went.
  HWND FocusTaker() const { return focusTaker_; }

 private:
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  WindowSubclass subclass_;
  HWND focusTaker_ = nullptr;
};
