#include "controls/win32/MyCtrlColor.h"

CMyCtrlColor::CMyCtrlColor(COLORREF text, COLORREF background) : text_(text), brush_(CreateSolidBrush(background)) {}

bool CMyCtrlColor::Attach(HWND dialog) {
  return subclass_.Attach(dialog, [this](UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    return Handle(msg, wParam, lParam, result) ? result : subclass_.CallNext(msg, wParam, lParam);
  });
}

bool CMyCtrlColor::Handle(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) const {
  switch (msg) {
    case WM_CTLCOLORDLG:
      result = reinterpret_cast<LRESULT>(brush_.Get());
      return true;
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, text_);
      result = reinterpret_cast<LRESULT>(brush_.Get());
      return true;
    }
    default:
      return false;
  }
}
