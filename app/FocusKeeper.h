#pragma once
// Where the keyboard's focus goes when the control holding it is about to be disabled or hidden.
// Windows moves the focus of a disabled window to nothing: Tab, Space and Enter then do nothing and
// a reader stays on "unavailable". So the focus moves on first, to the next control in Tab order
// that stays usable, and comes back once the control it left is usable again, unless the user has
// moved it meanwhile.

#include <span>
#include <vector>

#include "app/MainWindowPorts.h"

namespace focus {

// The window's Tab order (the reading order without the readout).
const std::vector<int>& TabOrder();

// The control after `focused` in Tab order, wrapping, that is not among `leaving` and that
// `usable` accepts; 0 when `focused` is not leaving or nothing is left to take the focus.
template <class Usable>
int NextFocus(int focused, std::span<const int> leaving, Usable&& usable) {
  auto isLeaving = [&](int id) {
    for (int l : leaving)
      if (l == id) return true;
    return false;
  };
  if (focused == 0 || !isLeaving(focused)) return 0;
  const std::vector<int>& order = TabOrder();
  size_t at = 0;
  while (at < order.size() && order[at] != focused) ++at;
  if (at == order.size()) return 0;
  for (size_t step = 1; step < order.size(); ++step) {
    const int id = order[(at + step) % order.size()];
    if (!isLeaving(id) && usable(id)) return id;
  }
  return 0;
}

}  // namespace focus

class FocusKeeper {
 public:
  explicit FocusKeeper(IMainView& view) : view_(view) {}

  // Before `ids` are disabled or hidden together: a focus on one of them moves on.
  void BeforeLeaving(std::span<const int> ids);
  // After `ids` can be used again: a focus this moved away from one of them comes back, if it
  // is still where this put it.
  void AfterReturning(std::span<const int> ids);

 private:
  IMainView& view_;
  int movedFrom_ = 0;  // the control the focus left, 0 when none waits for it
  int movedTo_ = 0;    // where it was put
};
