#pragma once
// A push button drawn from a picture-strip cell: the normal cell, or the pushed cell while held.
// It reports one click (BN_CLICKED) when it is released over the button. Auto-repeat buttons
// also report the press (BN_HILITE, code 2) when the mouse goes down and click while held, and
// end every press with one report: the click, or BN_UNHILITE (code 3) when released elsewhere
// or when the capture is lost. Other buttons keep quiet on the press, so a command never runs
// twice for one click. From the keyboard, Space presses it like the mouse and Enter clicks it; the
// focus is marked (once the keyboard has been used) and reported to the parent as BN_SETFOCUS
// and BN_KILLFOCUS. A press held by Space ends without a click when the focus moves on or a
// menu or dialog cancels the mode: the capture and the repeat are let go, and an auto-repeat
// button reports only kHoldLostCode, so that what the press started stops and nothing more runs.
//
// A toggle's on state (Stereo, Mute, Record, Play) is latched on the button: its own window then
// answers BM_GETSTATE (pushed) and BM_GETCHECK (checked) as a system button would, for screen
// readers that read the focused window through the system's object, and a change of it is
// raised on that window.

#include <windows.h>
#include <commctrl.h>

#include "app/win32/CellStrip.h"
#include "controls/win32/Subclass.h"

// Set on the parent once the keyboard has moved the focus there: from then on the focused button
// shows its mark (a mouse user's window stays as it always looked).
inline constexpr const char* kFocusMarkProperty = "KestruneFocusMark";

// Notification code of a press let go without a click (none of the system's BN_ codes).
inline constexpr WORD kHoldLostCode = 0x0100;

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
  // The toggle's on state; a change is raised as EVENT_OBJECT_STATECHANGE on the button.
  void SetLatched(bool on);
  bool IsLatched() const { return latched_; }

 private:
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void Press();
  void Release(bool click);
  // A key's press given up: no click, and only kHoldLostCode for an auto-repeat button.
  void LoseHold();
  LRESULT ButtonState() const;
  void Notify(WORD code);
  void SetPushed(bool pushed);
  void Paint(HDC dc);

  const CellStrip* strip_ = nullptr;
  int normal_ = 0, pushed_ = 0;
  int repeatDelay_ = 0, repeatInterval_ = 0;  // 0: no auto-repeat
  bool held_ = false;
  bool keyHeld_ = false;  // the press came from Space
  bool latched_ = false;
  bool pushed_now_ = false;
  WindowSubclass subclass_;
};
