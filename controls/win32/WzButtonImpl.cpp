#include "controls/win32/WzButtonImpl.h"

#include <windowsx.h>

#include "base/win32/GdiHandles.h"

namespace {

void Draw3dRect(HDC dc, const RECT& rc, COLORREF topLeft, COLORREF bottomRight) {
  auto fill = [dc](int l, int t, int r, int b, COLORREF c) {
    RECT part{l, t, r, b};
    UniqueBrush brush(CreateSolidBrush(c));
    FillRect(dc, &part, brush.Get());
  };
  fill(rc.left, rc.top, rc.right - 1, rc.top + 1, topLeft);
  fill(rc.left, rc.top, rc.left + 1, rc.bottom - 1, topLeft);
  fill(rc.right - 1, rc.top, rc.right, rc.bottom, bottomRight);
  fill(rc.left, rc.bottom - 1, rc.right, rc.bottom, bottomRight);
}

void Frame(HDC dc, const RECT& rc, COLORREF colour) {
  UniqueBrush brush(CreateSolidBrush(colour));
  FrameRect(dc, &rc, brush.Get());
}

}  // namespace

CWzButtonImpl::CWzButtonImpl() {
  palette_.hoverText = GetSysColor(COLOR_HIGHLIGHTTEXT);
  palette_.grayText = GetSysColor(COLOR_GRAYTEXT);
  palette_.inactiveBorder = GetSysColor(COLOR_INACTIVEBORDER);
}

bool CWzButtonImpl::Attach(HWND button) {
  if (!subclass_.Attach(button, [this](UINT m, WPARAM w, LPARAM l) { return OnMessage(m, w, l); })) return false;
  const LONG_PTR style = GetWindowLongPtrA(button, GWL_STYLE);
  state_.defaultButton = (style & BS_DEFPUSHBUTTON) != 0;
  SendMessageA(button, BM_SETSTYLE, (style & ~LONG_PTR{0xF}) | BS_OWNERDRAW, TRUE);
  return true;
}

void CWzButtonImpl::SetSelected(bool selected) {
  const bool changed = selected != state_.selected;
  state_.selected = selected;
  if (!Hwnd()) return;
  Repaint();
  if (changed) NotifyWinEvent(EVENT_OBJECT_STATECHANGE, Hwnd(), OBJID_CLIENT, CHILDID_SELF);
}

LRESULT CWzButtonImpl::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case kReflectBase + WM_DRAWITEM:
      Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_MOUSEMOVE: {
      const LRESULT r = subclass_.CallNext(msg, wParam, lParam);
      OnMouseMove(wParam, lParam);
      return r;
    }
    case WM_KILLFOCUS: {
      const LRESULT r = subclass_.CallNext(msg, wParam, lParam);
      state_.hover = false;
      Repaint();
      return r;
    }
    case WM_CAPTURECHANGED:
      // Someone else took the mouse: let go of it only if it is still ours, never theirs.
      if (state_.hover) {
        if (GetCapture() == Hwnd()) ReleaseCapture();
        Repaint();
      }
      return subclass_.CallNext(msg, wParam, lParam);
    case WM_ERASEBKGND:
      return 1;  // the draw step paints every pixel
    case BM_GETSTATE: {
      const LRESULT state = subclass_.CallNext(msg, wParam, lParam);
      return state_.selected ? state | BST_PUSHED | BST_CHECKED : state;
    }
    case BM_GETCHECK:
      if (state_.selected) return BST_CHECKED;
      break;
    case WM_GETDLGCODE:
      // An owner-drawn button answers as a plain button, and the dialog manager then presses the
      // dialog's default button on Enter even with the focus on this one.
      return DLGC_BUTTON | (state_.defaultButton ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    case BM_SETSTYLE:
      // The dialog manager hands the default look to the focused push button with BM_SETSTYLE:
      // keep the owner-drawn type and remember which one is the default now.
      if ((wParam & 0xF) == BS_PUSHBUTTON || (wParam & 0xF) == BS_DEFPUSHBUTTON) {
        state_.defaultButton = (wParam & 0xF) == BS_DEFPUSHBUTTON;
        return subclass_.CallNext(msg, (wParam & ~WPARAM{0xF}) | BS_OWNERDRAW, lParam);
      }
      break;
    case WM_SETCURSOR:
      if (cursor_ != nullptr) {
        ::SetCursor(cursor_);
        return TRUE;
      }
      break;
    default:
      break;
  }
  return subclass_.CallNext(msg, wParam, lParam);
}

void CWzButtonImpl::OnMouseMove(WPARAM wParam, LPARAM lParam) {
  if (!state_.flat) return;
  const bool leftDown = (wParam & MK_LBUTTON) != 0;
  if (leftDown && !state_.hover) return;
  HWND self = Hwnd();
  if (GetCapture() != self) {
    if (GetParent(self) != nullptr) {
      state_.hover = true;
      SetCapture(self);
      Repaint();
    }
    return;
  }
  RECT rc;
  GetClientRect(self, &rc);
  const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  if (!PtInRect(&rc, pt)) {
    state_.hover = false;
    Repaint();
    if (!leftDown) ReleaseCapture();
  }
}

void CWzButtonImpl::Draw(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  controls::ButtonState s = state_;
  s.pressed = (item.itemState & ODS_SELECTED) != 0;
  s.disabled = (item.itemState & ODS_DISABLED) != 0;
  const controls::ButtonLook look = controls::ChooseButtonLook(s, palette_);

  SetBkMode(dc, TRANSPARENT);
  RECT rc = item.rcItem;
  if (look.blackOuterFrame) {
    Frame(dc, rc, RGB(0, 0, 0));
    InflateRect(&rc, -1, -1);
  }
  {
    UniqueBrush face(CreateSolidBrush(look.face));
    FillRect(dc, &rc, face.Get());
  }
  switch (look.edge) {
    case controls::Edge::Sunken:
      Draw3dRect(dc, rc, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
      break;
    case controls::Edge::Raised:
      Draw3dRect(dc, rc, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
      break;
    case controls::Edge::FlatFrame:
      Frame(dc, rc, look.frame);
      break;
    case controls::Edge::None:
      break;
  }
  char caption[65] = {};
  GetWindowTextA(item.hwndItem, caption, sizeof caption);
  RECT textRc = rc;
  if (look.captionOffset) OffsetRect(&textRc, 1, 1);
  SetTextColor(dc, look.text);
  SelectionRestorer font(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(item.hwndItem, WM_GETFONT, 0, 0)));
  DrawTextA(dc, caption, -1, &textRc, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  if (look.selectionMarks) {
    RECT mark = rc;
    InflateRect(&mark, -1, -1);
    Frame(dc, mark, controls::kSelectionMarkColour);
    InflateRect(&mark, -1, -1);
    Frame(dc, mark, controls::kSelectionMarkColour);
  }
}
