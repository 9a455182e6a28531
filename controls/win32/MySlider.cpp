#include "controls/win32/MySlider.h"

#include <windowsx.h>

#include "controls/ButtonLook.h"
#include "resources/skin_ids.h"

namespace {
constexpr COLORREF kBlueKey = 0xFF0000;
constexpr UINT kClickCode = 6;  // WM_HSCROLL code the main window applies as a new position
}  // namespace

SkinnedSlider::SkinnedSlider(int thumbBitmap, int thumbWidth) : thumbBitmap_(thumbBitmap), thumbWidth_(thumbWidth) {}

bool SkinnedSlider::Attach(HWND trackbar) {
  return subclass_.Attach(trackbar, [this](UINT m, WPARAM w, LPARAM l) { return OnMessage(m, w, l); });
}

HIMAGELIST SkinnedSlider::LoadOnce(UniqueImageList& list, int bitmapId, int width, COLORREF transparent) {
  if (!list) list = LoadStrip(SkinInstance(), bitmapId, width, transparent);
  return list.Get();
}

LRESULT SkinnedSlider::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case kReflectBase + WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lParam);
      if (hdr->code == static_cast<UINT>(NM_CUSTOMDRAW)) return OnCustomDraw(*reinterpret_cast<NMCUSTOMDRAW*>(lParam));
      break;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
      clicked_ = true;
      return OnLeftButtonDown(wParam, lParam);
    case WM_KILLFOCUS:
      clicked_ = false;
      break;
    default:
      break;
  }
  return subclass_.CallNext(msg, wParam, lParam);
}

LRESULT SkinnedSlider::OnCustomDraw(NMCUSTOMDRAW& draw) {
  // Windows' trackbar reports its focus here (Wine's never does). After a click a focus rectangle
  // would only spoil the picture: the focus goes back.
  if ((draw.uItemState & CDIS_FOCUS) && clicked_) {
    clicked_ = false;
    SetFocus(GetParent(Hwnd()));
  }
  switch (draw.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      if (draw.dwItemSpec == TBCD_THUMB) {
        // CLR_DEFAULT takes the see-through colour from the picture's top-left pixel.
        if (HIMAGELIST thumb = LoadOnce(thumb_, thumbBitmap_, thumbWidth_, CLR_DEFAULT))
          ImageList_Draw(thumb, 0, draw.hdc, draw.rc.left, draw.rc.top, ILD_TRANSPARENT);
        return CDRF_SKIPDEFAULT;
      }
      if (draw.dwItemSpec == TBCD_CHANNEL) {
        DrawChannel(draw.hdc, draw.rc);
        return CDRF_SKIPDEFAULT;
      }
      return CDRF_DODEFAULT;
    default:
      return CDRF_DODEFAULT;
  }
}

LRESULT SkinnedSlider::OnLeftButtonDown(WPARAM wParam, LPARAM lParam) {
  HWND self = Hwnd();
  const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  RECT thumb{};
  SendMessageA(self, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  if (PtInRect(&thumb, pt)) return subclass_.CallNext(WM_LBUTTONDOWN, wParam, lParam);
  RECT channel{}, client{};
  SendMessageA(self, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  GetClientRect(self, &client);
  const int minimum = static_cast<int>(SendMessageA(self, TBM_GETRANGEMIN, 0, 0));
  const int maximum = static_cast<int>(SendMessageA(self, TBM_GETRANGEMAX, 0, 0));
  const int pos = controls::SliderClickPosition(minimum, maximum, pt.x, channel.left, channel.right, client.left);
  SendMessageA(self, TBM_SETPOS, TRUE, pos);
  const LRESULT r = subclass_.CallNext(WM_LBUTTONDOWN, wParam, lParam);
  SendMessageA(GetParent(self), WM_HSCROLL, kClickCode, reinterpret_cast<LPARAM>(self));
  return r;
}

CMySlider::CMySlider() : SkinnedSlider(IDB_VOLUME_THUMB, 10) {}

void CMySlider::DrawChannel(HDC dc, const RECT& channel) {
  RECT white = channel;
  InflateRect(&white, 1, 1);
  FillRect(dc, &white, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  if (HIMAGELIST list = LoadOnce(channel_, IDB_VOLUME_CHANNEL, 110, kBlueKey))
    ImageList_Draw(list, 0, dc, channel.left, 8, ILD_TRANSPARENT);
}

CMySliderA::CMySliderA() : SkinnedSlider(IDB_POSITION_THUMB, 9) {}

void CMySliderA::DrawChannel(HDC dc, const RECT& channel) {
  if (HIMAGELIST back = LoadOnce(back_, IDB_POSITION_BACK, 168, kBlueKey)) ImageList_Draw(back, 0, dc, 0, 0, ILD_TRANSPARENT);
  if (HIMAGELIST list = LoadOnce(channel_, IDB_POSITION_CHANNEL, 150, kBlueKey))
    ImageList_Draw(list, 0, dc, channel.left, 6, ILD_TRANSPARENT);
}
