#pragma once
// The window's notification of HID interfaces arriving (the receiver plugged in): registered
// once, and given up when its owner goes or the window asks (it is about to be destroyed).

#include <windows.h>

// The filter is registered through the ANSI call: the window is an ANSI window, and an arrival's
// interface path is read as the ANSI broadcast carries it.
class HidArrivals {
 public:
  HidArrivals() = default;
  ~HidArrivals() { Unregister(); }
  HidArrivals(const HidArrivals&) = delete;
  HidArrivals& operator=(const HidArrivals&) = delete;

  // Nothing when it is in place already.
  void Register(HWND owner);
  void Unregister();

 private:
  HDEVNOTIFY handle_ = nullptr;
};
