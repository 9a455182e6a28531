#include "app/win32/BitmapButton.h"

#include <windowsx.h>

namespace {
constexpr UINT_PTR kRepeatTimer = 1;
}

bool CBitmapButton::Attach(HWND button) {
  return subclass_.Attach(button, [this](UINT m, WPARAM w, LPARAM l) { return OnMessage(m, w, l); });
}

void CBitmapButton::SetImages(int normal, int pushed) {
  normal_ = normal;
  pushed_ = pushed;
  if (Hwnd()) InvalidateRect(Hwnd(), nullptr, FALSE);
}

void CBitmapButton::SetAutoRepeat(int delayMs, int intervalMs) {
  repeatDelay_ = delayMs;
  repeatInterval_ = intervalMs;
}

void CBitmapButton::SetLatched(bool on) {
  if (on == latched_) return;
  latched_ = on;
  if (Hwnd()) NotifyWinEvent(EVENT_OBJECT_STATECHANGE, Hwnd(), OBJID_CLIENT, CHILDID_SELF);
}

LRESULT CBitmapButton::ButtonState() const {
  LRESULT state = latched_ ? BST_CHECKED : BST_UNCHECKED;
  if (latched_ || pushed_now_) state |= BST_PUSHED;
  if (GetFocus() == Hwnd()) state |= BST_FOCUS;
  return state;
}

void CBitmapButton::Notify(WORD code) {
  HWND self = Hwnd();
  SendMessageA(GetParent(self), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(self), code), reinterpret_cast<LPARAM>(self));
}

void CBitmapButton::SetPushed(bool pushed) {
  if (pushed == pushed_now_) return;
  pushed_now_ = pushed;
  InvalidateRect(Hwnd(), nullptr, FALSE);
}

void CBitmapButton::Press() {
  HWND self = Hwnd();
  held_ = true;
  SetCapture(self);
  SetPushed(true);
  UpdateWindow(self);
  if (repeatDelay_ > 0) {
    SetTimer(self, kRepeatTimer, static_cast<UINT>(repeatDelay_), nullptr);
    Notify(BN_HILITE);
  }
}

void CBitmapButton::LoseHold() {
  HWND self = Hwnd();
  if (!held_) return;
  held_ = keyHeld_ = false;  // first: the capture's release below comes back as WM_CAPTURECHANGED
  KillTimer(self, kRepeatTimer);
  SetPushed(false);
  if (GetCapture() == self) ReleaseCapture();
  if (repeatDelay_ > 0) Notify(kHoldLostCode);
}

void CBitmapButton::Release(bool click) {
  HWND self = Hwnd();
  if (!held_) return;
  held_ = keyHeld_ = false;
  KillTimer(self, kRepeatTimer);
  const bool inside = pushed_now_;
  SetPushed(false);
  if (GetCapture() == self) ReleaseCapture();
  if (click && inside) {
    Notify(BN_CLICKED);
  } else if (repeatDelay_ > 0) {
    // The window started something on the press (a Tune hold): a release elsewhere, or a lost
    // capture, must end it too, or it runs on with nobody holding the button.
    Notify(BN_UNHILITE);
  }
}

void CBitmapButton::Paint(HDC dc) {
  HWND self = Hwnd();
  // Transparent cells: the parent's skin under the button shows through.
  if (strip_ != nullptr) strip_->Draw(dc, pushed_now_ ? pushed_ : normal_, 0, 0);
  // The focus mark, as Windows draws it on buttons.
  if (GetFocus() == self && GetPropA(GetParent(self), kFocusMarkProperty) != nullptr) {
    RECT rc;
    GetClientRect(self, &rc);
    InflateRect(&rc, -1, -1);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &rc);
  }
}

LRESULT CBitmapButton::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND self = Hwnd();
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(self, &ps);
      Paint(dc);
      EndPaint(self, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      keyHeld_ = false;
      Press();
      return 0;
    case WM_MOUSEMOVE:
      if (held_) {
        RECT rc;
        GetClientRect(self, &rc);
        const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        SetPushed(PtInRect(&rc, pt) != 0);
      }
      return 0;
    case WM_LBUTTONUP:
      Release(true);
      return 0;
    case WM_CAPTURECHANGED:
      if (held_ && reinterpret_cast<HWND>(lParam) != self) {
        if (keyHeld_) LoseHold();
        else Release(false);
      }
      return 0;
    case WM_CANCELMODE:
      if (keyHeld_) LoseHold();
      break;
    case BM_GETSTATE:
      return ButtonState();
    case BM_GETCHECK:
      return latched_ ? BST_CHECKED : BST_UNCHECKED;
    case WM_TIMER:
      if (wParam == kRepeatTimer) {
        if (held_ && pushed_now_) Notify(BN_CLICKED);
        SetTimer(self, kRepeatTimer, static_cast<UINT>(repeatInterval_ > 0 ? repeatInterval_ : 250), nullptr);
        return 0;
      }
      break;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE && !held_) {
        keyHeld_ = true;
        Press();
        return 0;
      }
      if (wParam == VK_RETURN) {
        if (IsWindowEnabled(self)) Notify(BN_CLICKED);
        return 0;
      }
      break;
    case WM_KEYUP:
      if (wParam == VK_SPACE) {
        Release(true);
        return 0;
      }
      break;
    case WM_ENABLE:
      InvalidateRect(self, nullptr, FALSE);
      break;
    case WM_SETTEXT: {
      // The text is the button's name for screen readers; the system's button would paint its
      // own face with it at once, over the picture.
      const LRESULT result = DefWindowProcW(self, msg, wParam, lParam);  // the subclass is a wide one
      InvalidateRect(self, nullptr, FALSE);
      return result;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (msg == WM_KILLFOCUS && keyHeld_) LoseHold();
      // The parent's skin repaints under the cell, taking the old mark away with it.
      if (HWND parent = GetParent(self)) {
        RECT rc;
        GetWindowRect(self, &rc);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
        InvalidateRect(parent, &rc, TRUE);
      }
      InvalidateRect(self, nullptr, FALSE);
      Notify(msg == WM_SETFOCUS ? BN_SETFOCUS : BN_KILLFOCUS);
      break;
    case WM_GETDLGCODE:
      // Enter comes to the focused button (it clicks it) instead of to the dialog's default.
      if (lParam != 0) {
        const MSG* key = reinterpret_cast<const MSG*>(lParam);
        if (key->message == WM_KEYDOWN && key->wParam == VK_RETURN) return DLGC_BUTTON | DLGC_WANTMESSAGE;
      }
      return DLGC_BUTTON;
    default:
      break;
  }
  return subclass_.CallNext(msg, wParam, lParam);
}
