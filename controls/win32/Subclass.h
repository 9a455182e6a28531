#pragma once
// One window subclass with an owner: attaching installs a handler in front of the window
// procedure, destruction (or the window's WM_NCDESTROY) removes it. Several may stand on one
// window, the newest first. The main window and every skinned control use it, so no raw window
// procedure pointers are swapped anywhere else.

#include <windows.h>

#include <functional>

class WindowSubclass {
 public:
  // Return the message result; call `CallNext` for the window's own processing.
  using Handler = std::function<LRESULT(UINT msg, WPARAM wParam, LPARAM lParam)>;

  WindowSubclass() = default;
  ~WindowSubclass() { Detach(); }
  WindowSubclass(const WindowSubclass&) = delete;
  WindowSubclass& operator=(const WindowSubclass&) = delete;

  // False when `hwnd` is not a window or already carries this object.
  bool Attach(HWND hwnd, Handler handler);
  void Detach();
  HWND Hwnd() const { return hwnd_; }
  LRESULT CallNext(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
  // Hands a message to the handler after `after` on `hwnd` (the first when null), or to the
  // window's own procedure.
  static LRESULT Forward(HWND hwnd, const WindowSubclass* after, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
  Handler handler_;
};

// Notifications a parent sends back to the child they came from, with OCM_BASE (0x2000) added,
// as the skinned controls expect: WM_COMMAND, WM_NOTIFY, WM_DRAWITEM, WM_HSCROLL and the rest.
// Returns true with `result` set when the message was reflected.
bool ReflectNotification(HWND parent, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

constexpr UINT kReflectBase = 0x2000;
