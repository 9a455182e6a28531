#include "app/win32/WindowLayer.h"

#include <algorithm>
#include <map>
#include <mutex>

namespace {

// The module's table of message loops, one per thread.
std::mutex g_loopsLock;
std::map<DWORD, MessageLoop*>& Loops() {
  static std::map<DWORD, MessageLoop*> loops;
  return loops;
}

template <typename T>
void Erase(std::vector<T*>& list, T* item) {
  list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

}  // namespace

MessageLoop::MessageLoop() : threadId_(GetCurrentThreadId()) {
  std::lock_guard<std::mutex> lock(g_loopsLock);
  Loops()[threadId_] = this;
}

MessageLoop::~MessageLoop() {
  std::lock_guard<std::mutex> lock(g_loopsLock);
  auto it = Loops().find(threadId_);
  if (it != Loops().end() && it->second == this) Loops().erase(it);
}

MessageLoop* MessageLoop::ForCurrentThread() {
  std::lock_guard<std::mutex> lock(g_loopsLock);
  auto it = Loops().find(GetCurrentThreadId());
  return it == Loops().end() ? nullptr : it->second;
}

void MessageLoop::AddMessageFilter(MessageFilter* filter) {
  std::lock_guard<std::mutex> lock(g_loopsLock);
  filters_.push_back(filter);
}
void MessageLoop::RemoveMessageFilter(MessageFilter* filter) {
  std::lock_guard<std::mutex> lock(g_loopsLock);
  Erase(filters_, filter);
}
void MessageLoop::AddIdleHandler(IdleHandler* handler) {
  std::lock_guard<std::mutex> lock(g_loopsLock);
  idleHandlers_.push_back(handler);
}
void MessageLoop::RemoveIdleHandler(IdleHandler* handler) {
  std::lock_guard<std::mutex> lock(g_loopsLock);
  Erase(idleHandlers_, handler);
}

bool MessageLoop::RunIdleHandlers() {
  // Copies: a handler may remove itself.
  const std::vector<IdleHandler*> handlers = idleHandlers_;
  // With nobody to call, idle processing ends rather than spinning until the next message.
  if (handlers.empty()) return false;
  for (IdleHandler* h : handlers)
    if (!h->OnIdle()) return false;
  return true;
}

bool MessageLoop::ReArmsIdle(const MSG& msg) {
  switch (msg.message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_PAINT:
    case 0x0118:  // the system caret-blink timer
      return false;
    default:
      return true;
  }
}

int MessageLoop::Run() {
  bool idle = true;
  MSG msg{};
  for (;;) {
    while (idle && !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!RunIdleHandlers()) idle = false;
    }
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == -1) continue;
    if (!got) break;  // WM_QUIT
    bool consumed = false;
    const std::vector<MessageFilter*> filters = filters_;
    for (auto it = filters.rbegin(); it != filters.rend() && !consumed; ++it)
      consumed = (*it)->PreTranslateMessage(&msg) != FALSE;
    if (!consumed) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (ReArmsIdle(msg)) idle = true;
  }
  return static_cast<int>(msg.wParam);
}

DialogWindow::~DialogWindow() {
  if (hwnd_ && IsWindow(hwnd_)) {
    SetWindowLongPtrA(hwnd_, DWLP_USER, 0);
    DestroyWindow(hwnd_);
  }
}

HWND DialogWindow::Create(HINSTANCE instance, int templateId, HWND parent) {
  return CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), parent, &DialogWindow::DialogProc,
                            reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK DialogWindow::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  DialogWindow* self = nullptr;
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<DialogWindow*>(lParam);
    SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    self->hwnd_ = hwnd;
  } else {
    self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  }
  if (!self) return FALSE;

  LRESULT result = 0;
  const bool handled = self->ProcessMessage(msg, wParam, lParam, result);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
    self->OnFinalMessage();
    return FALSE;
  }
  if (!handled) return FALSE;
  switch (msg) {
    // These answer through the dialog procedure's own return value.
    case WM_INITDIALOG:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
      return static_cast<INT_PTR>(result);
    default:
      SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
      return TRUE;
  }
}

std::string ControlText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  std::string text(static_cast<size_t>(std::max(GetWindowTextLengthA(control), 0)) + 1, '\0');
  text.resize(static_cast<size_t>(std::max(GetWindowTextA(control, text.data(), static_cast<int>(text.size())), 0)));
  return text;
}
