#include "controls/win32/Subclass.h"

#include <commctrl.h>

bool WindowSubclass::Attach(HWND hwnd, Handler handler) {
  if (hwnd_ != nullptr || !IsWindow(hwnd)) return false;
  handler_ = std::move(handler);
  if (!SetWindowSubclass(hwnd, &WindowSubclass::Proc, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this)))
    return false;
  hwnd_ = hwnd;
  return true;
}

void WindowSubclass::Detach() {
  if (hwnd_ == nullptr) return;
  RemoveWindowSubclass(hwnd_, &WindowSubclass::Proc, reinterpret_cast<UINT_PTR>(this));
  hwnd_ = nullptr;
}

LRESULT WindowSubclass::CallNext(UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefSubclassProc(hwnd_, msg, wParam, lParam);
}

LRESULT CALLBACK WindowSubclass::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref) {
  auto* self = reinterpret_cast<WindowSubclass*>(ref);
  if (msg == WM_NCDESTROY) {
    // The window goes away first: forget it so the owner's destructor has nothing to undo.
    self->Detach();
    return DefSubclassProc(hwnd, msg, wParam, lParam);
  }
  return self->handler_ ? self->handler_(msg, wParam, lParam) : DefSubclassProc(hwnd, msg, wParam, lParam);
}

bool ReflectNotification(HWND parent, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  HWND child = nullptr;
  switch (msg) {
    case WM_COMMAND:
      if (lParam != 0) child = reinterpret_cast<HWND>(lParam);
      break;
    case WM_NOTIFY:
      child = reinterpret_cast<NMHDR*>(lParam)->hwndFrom;
      break;
    case WM_PARENTNOTIFY:
      switch (LOWORD(wParam)) {
        case WM_CREATE:
        case WM_DESTROY:
          child = reinterpret_cast<HWND>(lParam);
          break;
        default:
          child = GetDlgItem(parent, HIWORD(wParam));
      }
      break;
    case WM_DRAWITEM:
      if (wParam != 0) child = reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem;
      break;
    case WM_MEASUREITEM:
      if (wParam != 0) child = GetDlgItem(parent, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlID);
      break;
    case WM_COMPAREITEM:
      if (wParam != 0) child = reinterpret_cast<COMPAREITEMSTRUCT*>(lParam)->hwndItem;
      break;
    case WM_DELETEITEM:
      if (wParam != 0) child = reinterpret_cast<DELETEITEMSTRUCT*>(lParam)->hwndItem;
      break;
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
      child = reinterpret_cast<HWND>(lParam);
      break;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      child = reinterpret_cast<HWND>(lParam);
      break;
    default:
      return false;
  }
  if (child == nullptr || child == parent || !IsWindow(child)) return false;
  result = SendMessageA(child, kReflectBase + msg, wParam, lParam);
  return true;
}
