#include "controls/win32/MyEdit.h"

#include <string>

#include "controls/EditFilter.h"

namespace {
std::string WindowText(HWND hwnd) {
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(hwnd)) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}
}  // namespace

bool CMyEdit::Attach(HWND edit) {
  return subclass_.Attach(edit, [this](UINT m, WPARAM w, LPARAM l) { return OnMessage(m, w, l); });
}

LRESULT CMyEdit::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CHAR && !controls::NumericEditAccepts(static_cast<char>(wParam), WindowText(Hwnd()))) return 0;
  return subclass_.CallNext(msg, wParam, lParam);
}

bool CMyEditA::Attach(HWND edit) {
  return subclass_.Attach(edit, [this](UINT m, WPARAM w, LPARAM l) { return OnMessage(m, w, l); });
}

LRESULT CMyEditA::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PASTE) return 0;
  if (msg == WM_KILLFOCUS) focusTaker_ = reinterpret_cast<HWND>(wParam);
  if (msg == WM_CHAR &&
      !controls::NameEditAccepts(static_cast<char>(wParam), static_cast<std::size_t>(GetWindowTextLengthA(Hwnd()))))
    return 0;
  return subclass_.CallNext(msg, wParam, lParam);
}
