#pragma once
// A control's accessible object as the system makes it, but with the name a screen reader should
// say and, for a slider, its value with the unit ("Volume", "35 %"). The control answers
// WM_GETOBJECT for its client object with the system's own object wrapped: everything but the
// name and the value is the system's. For controls whose label the system's search does not
// find (the skinned sliders, whose nearest text is a button; the date and time pickers, whose
// labels are group boxes), and for labels no text on the screen carries ("FM preset 1 name").

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "controls/win32/Subclass.h"

class AccessibleLabel {
 public:
  using ValueText = std::function<std::string()>;

  AccessibleLabel() = default;
  AccessibleLabel(const AccessibleLabel&) = delete;
  AccessibleLabel& operator=(const AccessibleLabel&) = delete;

  // From now on `control` is read as `name`, with the value `value` gives when set. False when
  // `control` is no window. The objects handed out hold the texts weakly: once this is gone they
  // read as the system's own.
  bool Attach(HWND control, std::string name, ValueText value = nullptr);
  HWND Hwnd() const { return subclass_.Hwnd(); }
  // The name from now on (a label that follows what the control shows); nothing before Attach.
  void SetName(std::string name) {
    if (texts_) texts_->name = std::move(name);
  }

  struct Texts {
    std::string name;
    ValueText value;
  };

 private:
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  std::shared_ptr<Texts> texts_;
  WindowSubclass subclass_;
};
