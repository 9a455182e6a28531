#pragma once
// A push button drawn from a picture-strip cell: the normal cell, or the pushed cell while held.
// It reports one click (BN_CLICKED) when it is released over the button. Auto-repeat buttons
// also report the press (BN_HILITE, code 2) when the mouse goes down and click while held, and
// end every press with one report: the click, or BN_UNHILITE (code 3) when released elsewhere
// or when the capture is lost. Other buttons keep quiet on the press, so a command never runs
// twice for one click. From the keyboard, Space presses it like the mouse and Enter clicks it; the
// focus is marked (once the keyboard has been used) and reported to the parent as BN_SETFOCUS
// and BN_KILLFOCUS.

#include <windows.h>
#include <commctrl.h>

#include "app/win32/CellStrip.h"
#include "controls/win32/Subclass.h"

// Set on the parent once the keyboard has moved the focus there: from then on the focused button
// shows its mark (a mouse user's window stays as it always looked).
inline constexpr const char* kFocusMarkProperty = "KestruneFocusMark";

class CBitmapButton {
 public:
  bool Attach(HWND button);
  HWND Hwnd() const { return subclass_.Hwnd(); }

  void SetStrip(const CellStrip* strip) { strip_ = strip; }  // not owned
  void SetImages(int normal, int pushed);
  void SetAutoRepeat(int delayMs, int intervalMs);
  int NormalImage() const { return normal_; }
  int PushedImage() const { return pushed_; }
  bool IsPushed() const { return pushed_now_; }

 private:
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void Press();
  void Release(bool click);
  void Notify(WORD code);
  void SetPushed(bool pushed);
  void Paint(HDC dc);

  const CellStrip* strip_ = nullptr;
  int normal_ = 0, pushed_ = 0;
  int repeatDelay_ = 0, repeatInterval_ = 0;  // 0: no auto-repeat
  bool held_ = false;
  bool pushed_now_ = false;
  WindowSubclass subclass_;
};
