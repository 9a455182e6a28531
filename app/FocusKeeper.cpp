#include "app/FocusKeeper.h"

#include <algorithm>

#include "app/AccessibleView.h"

namespace focus {

const std::vector<int>& TabOrder() {
  static const std::vector<int> order = [] {
    std::vector<int> ids = accessible::ReadingOrder();
    std::erase(ids, accessible::kReadoutId);
    return ids;
  }();
  return order;
}

}  // namespace focus

void FocusKeeper::BeforeLeaving(std::span<const int> ids) {
  const int focused = view_.FocusedControl();
  const int next = focus::NextFocus(focused, ids, [this](int id) { return view_.ControlUsable(id); });
  if (next == 0) return;
  // Moved on twice (a seek's lock over a band's): the first control is still the one to return to.
  if (focused != movedTo_ || movedFrom_ == 0) movedFrom_ = focused;
  movedTo_ = next;
  view_.FocusControl(next);
}

void FocusKeeper::AfterReturning(std::span<const int> ids) {
  if (movedFrom_ == 0 || std::find(ids.begin(), ids.end(), movedFrom_) == ids.end()) return;
  const int from = movedFrom_, to = movedTo_;
  movedFrom_ = movedTo_ = 0;
  // The user went elsewhere meanwhile: the focus stays where they put it.
  if (view_.FocusedControl() == to && view_.ControlUsable(from)) view_.FocusControl(from);
}
