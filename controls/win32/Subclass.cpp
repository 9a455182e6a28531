#include "controls/win32/Subclass.h"

#include <commctrl.h>

#include <algorithm>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace {

// The subclassed windows of the process, each with the procedure it had before and its handlers,
// the newest first. Kept here rather than in a window property: a property is a round trip to
// the window manager under some systems, and every message of a skinned control would pay it.
struct Chain {
  WNDPROC original = nullptr;
  std::vector<WindowSubclass*> owners;
};

std::mutex g_chainsLock;

std::unordered_map<HWND, Chain>& Chains() {
  static auto* chains = new std::unordered_map<HWND, Chain>;  // lives as long as the process's windows
  return *chains;
}

// What comes after `owner` on `hwnd`: the next handler, or the procedure the window had.
struct Next {
  WindowSubclass* owner = nullptr;
  WNDPROC original = nullptr;
};

Next NextAfter(HWND hwnd, const WindowSubclass* owner) {
  std::lock_guard<std::mutex> lock(g_chainsLock);
  auto it = Chains().find(hwnd);
  if (it == Chains().end()) return {};
  const std::vector<WindowSubclass*>& owners = it->second.owners;
  auto at = owner ? std::find(owners.begin(), owners.end(), owner) : owners.begin();
  if (owner && at != owners.end()) ++at;
  return {at == owners.end() ? nullptr : *at, it->second.original};
}

}  // namespace

bool WindowSubclass::Attach(HWND hwnd, Handler handler) {
  if (hwnd_ != nullptr || !IsWindow(hwnd)) return false;
  handler_ = std::move(handler);
  std::lock_guard<std::mutex> lock(g_chainsLock);
  auto found = Chains().find(hwnd);
  if (found == Chains().end()) {
    const auto original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowSubclass::Proc)));
    if (original == nullptr) return false;
    found = Chains().emplace(hwnd, Chain{original, {}}).first;
  }
  found->second.owners.insert(found->second.owners.begin(), this);
  hwnd_ = hwnd;
  return true;
}

void WindowSubclass::Detach() {
  if (hwnd_ == nullptr) return;
  std::lock_guard<std::mutex> lock(g_chainsLock);
  auto it = Chains().find(hwnd_);
  if (it != Chains().end()) {
    std::erase(it->second.owners, this);
    // Unhooked only while nothing was put in front of us; otherwise the procedure stays and
    // passes everything on until the window goes.
    if (it->second.owners.empty() &&
        GetWindowLongPtrW(hwnd_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&WindowSubclass::Proc)) {
      SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(it->second.original));
      Chains().erase(it);
    }
  }
  hwnd_ = nullptr;
}

LRESULT WindowSubclass::CallNext(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (hwnd_ == nullptr) return 0;  // detached while handling this message
  return Forward(hwnd_, this, msg, wParam, lParam);
}

LRESULT WindowSubclass::Forward(HWND hwnd, const WindowSubclass* after, UINT msg, WPARAM wParam, LPARAM lParam) {
  const Next next = NextAfter(hwnd, after);
  if (next.owner != nullptr) return next.owner->Handle(msg, wParam, lParam);
  if (next.original != nullptr) return CallWindowProcW(next.original, hwnd, msg, wParam, lParam);
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT WindowSubclass::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  return handler_ ? handler_(msg, wParam, lParam) : CallNext(msg, wParam, lParam);
}

LRESULT CALLBACK WindowSubclass::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_NCDESTROY) return Forward(hwnd, nullptr, msg, wParam, lParam);
  // The window goes away: every owner forgets it, so their destructors have nothing to undo,
  // and the window's own procedure gets the last message.
  WNDPROC original = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_chainsLock);
    auto it = Chains().find(hwnd);
    if (it != Chains().end()) {
      original = it->second.original;
      for (WindowSubclass* owner : it->second.owners) owner->hwnd_ = nullptr;
      Chains().erase(it);
    }
  }
  if (original && GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&WindowSubclass::Proc))
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
  return original ? CallWindowProcW(original, hwnd, msg, wParam, lParam) : DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool ReflectNotification(HWND parent, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  HWND child = nullptr;
  switch (msg) {
    case WM_COMMAND:
      if (lParam) child = reinterpret_cast<HWND>(lParam);
      break;
    case WM_NOTIFY:
      if (lParam) child = reinterpret_cast<NMHDR*>(lParam)->hwndFrom;
      break;
    case WM_PARENTNOTIFY:
      if (LOWORD(wParam) == WM_CREATE || LOWORD(wParam) == WM_DESTROY) {
        child = reinterpret_cast<HWND>(lParam);
      } else {
        // A mouse button went down over a child: the child under that point.
        const POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        child = ChildWindowFromPoint(parent, pt);
      }
      break;
    case WM_DRAWITEM:
      if (wParam) child = reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem;
      break;
    case WM_MEASUREITEM:
      if (wParam) child = GetDlgItem(parent, static_cast<int>(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlID));
      break;
    case WM_COMPAREITEM:
      if (wParam) child = reinterpret_cast<COMPAREITEMSTRUCT*>(lParam)->hwndItem;
      break;
    case WM_DELETEITEM:
      if (wParam) child = reinterpret_cast<DELETEITEMSTRUCT*>(lParam)->hwndItem;
      break;
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
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
  if (!child || child == parent || !IsWindow(child)) return false;
  result = SendMessageA(child, kReflectBase + msg, wParam, lParam);
  return true;
}
