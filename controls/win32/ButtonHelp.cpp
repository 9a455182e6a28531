#include "controls/win32/ButtonHelp.h"

#include "controls/ButtonLook.h"

void CButtonHelp::SkinChildren(HWND dialog) {
  if (reflector_.Hwnd() == nullptr) {
    reflector_.Attach(dialog, [this](UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
      if (msg == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (Find(item->hwndItem) != nullptr)
          return SendMessageA(item->hwndItem, kReflectBase + WM_DRAWITEM, wParam, lParam);
      }
      return reflector_.CallNext(msg, wParam, lParam);
    });
  }
  EnumChildWindows(
      dialog,
      [](HWND child, LPARAM self) -> BOOL {
        reinterpret_cast<CButtonHelp*>(self)->Offer(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(this));
}

bool CButtonHelp::Offer(HWND child) {
  char className[16] = {};
  GetClassNameA(child, className, sizeof className);
  const auto style = static_cast<std::uint32_t>(GetWindowLongPtrA(child, GWL_STYLE));
  if (!controls::IsSkinnablePushButton(className, style) || Find(child) != nullptr) return false;
  auto button = std::make_unique<CWzButtonImpl>();
  if (!button->Attach(child)) return false;
  buttons_.push_back(std::move(button));
  return true;
}

CWzButtonImpl* CButtonHelp::Find(HWND button) const {
  for (const auto& b : buttons_)
    if (b->Hwnd() == button) return b.get();
  return nullptr;
}
