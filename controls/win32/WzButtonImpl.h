#pragma once
// A dialog push button turned into a flat, owner-drawn button with a hover look. The parent
// reflects WM_DRAWITEM to it (CButtonHelp does that for its dialog).

#include <windows.h>

#include "controls/ButtonLook.h"
#include "controls/win32/Subclass.h"

class CWzButtonImpl {
 public:
  CWzButtonImpl();
  CWzButtonImpl(const CWzButtonImpl&) = delete;
  CWzButtonImpl& operator=(const CWzButtonImpl&) = delete;

  // Subclasses `button`, remembers its default-push bit and makes it owner-drawn.
  bool Attach(HWND button);
  HWND Hwnd() const { return subclass_.Hwnd(); }

  // Repaints; a change is raised as EVENT_OBJECT_STATECHANGE on the button, whose BM_GETSTATE
  // then says pushed and BM_GETCHECK checked, so that readers of the focused window hear it.
  void SetSelected(bool selected);
  bool IsSelected() const { return state_.selected; }
  bool IsHover() const { return state_.hover; }
  bool IsDefaultButton() const { return state_.defaultButton; }
  void SetFlat(bool flat) { state_.flat = flat; }
  void SetCursor(HCURSOR cursor) { cursor_ = cursor; }

  // Paints the whole button; public for the reflected owner-draw request and for printing.
  void Draw(const DRAWITEMSTRUCT& item);

 private:
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void OnMouseMove(WPARAM wParam, LPARAM lParam);
  void Repaint() { InvalidateRect(Hwnd(), nullptr, TRUE); }

  controls::ButtonState state_;
  controls::ButtonPalette palette_;
  HCURSOR cursor_ = nullptr;
  WindowSubclass subclass_;
};
