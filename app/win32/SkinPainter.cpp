#include "app/win32/SkinPainter.h"

#include <algorithm>
#include <vector>

#include "resources/skin_ids.h"

namespace skin {

namespace {
constexpr COLORREF kCutColour = 0xFF0000;
constexpr int kPresetNameId = 1120;
constexpr int kFileTextId = 1130;
}  // namespace

UniqueRegion RegionFromBitmap(HBITMAP bitmap) {
  BITMAP info{};
  if (bitmap == nullptr || !GetObjectA(bitmap, sizeof info, &info)) return {};
  const int w = info.bmWidth, h = info.bmHeight;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // top-down rows
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  std::vector<DWORD> pixels(static_cast<std::size_t>(w) * h);
  UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  if (!GetDIBits(dc.Get(), bitmap, 0, static_cast<UINT>(h), pixels.data(), &bi, DIB_RGB_COLORS)) return {};

  // Runs become rectangles of one region in a single call; a union per run is far slower.
  std::vector<RECT> runs;
  const DWORD cut = 0x0000FF;  // 0x00RRGGBB in a 32-bit DIB: pure blue
  static_assert(kCutColour == RGB(0, 0, 255));
  for (int y = 0; y < h; ++y) {
    const DWORD* row = &pixels[static_cast<std::size_t>(y) * w];
    int x = 0;
    while (x < w) {
      while (x < w && (row[x] & 0xFFFFFF) == cut) ++x;
      const int x0 = x;
      while (x < w && (row[x] & 0xFFFFFF) != cut) ++x;
      if (x > x0) runs.push_back({x0, y, x, y + 1});
    }
  }
  std::vector<BYTE> data(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
  auto* rgn = reinterpret_cast<RGNDATA*>(data.data());
  rgn->rdh.dwSize = sizeof(RGNDATAHEADER);
  rgn->rdh.iType = RDH_RECTANGLES;
  rgn->rdh.nCount = static_cast<DWORD>(runs.size());
  rgn->rdh.nRgnSize = static_cast<DWORD>(runs.size() * sizeof(RECT));
  rgn->rdh.rcBound = {0, 0, w, h};
  std::copy(runs.begin(), runs.end(), reinterpret_cast<RECT*>(rgn->Buffer));
  return UniqueRegion(ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), rgn));
}

bool BuildWindowRegion(HWND window) {
  UniqueBitmap face(static_cast<HBITMAP>(
      LoadImageA(SkinInstance(), MAKEINTRESOURCEA(IDB_FACE), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  UniqueRegion region = RegionFromBitmap(face.Get());
  if (!region) return false;
  if (!SetWindowRgn(window, region.Get(), TRUE)) return false;
  region.Release();  // the window owns the region from here on
  return true;
}

void DrawPlan(HDC dc, const display::IndicatorPlan& plan) {
  HINSTANCE instance = SkinInstance();
  for (const display::CellDraw& d : plan.draws) {
    // A picture that fails to load draws nothing; painting goes on.
    UniqueImageList strip = LoadStrip(instance, d.bitmapId, display::CellWidth(d.bitmapId), kCutColour);
    if (strip) ImageList_Draw(strip.Get(), d.cell, dc, d.x, d.y, ILD_TRANSPARENT);
  }
}

void SetStaticText(HWND dialog, int id, const std::string& text) {
  HWND control = GetDlgItem(dialog, id);
  if (control == nullptr) return;
  // The whole text is compared: a cut-off copy of a long one never matches, and the paint that
  // calls this would then invalidate itself for ever. The control keeps only what comes before a
  // null, so that is what is compared.
  const std::string wanted(text.c_str());
  std::string current(static_cast<size_t>(std::max(GetWindowTextLengthA(control), 0)) + 1, '\0');
  current.resize(static_cast<size_t>(std::max(GetWindowTextA(control, current.data(), static_cast<int>(current.size())), 0)));
  if (wanted == current) return;
  SetWindowTextA(control, wanted.c_str());
  RECT rc;
  GetWindowRect(control, &rc);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rc), 2);
  RedrawWindow(dialog, &rc, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void DrawIndicators(HWND dialog, HDC dc, const display::IndicatorState& state, const std::string& presetName) {
  const display::IndicatorPlan plan = display::PlanIndicators(state);
  if (HWND file = GetDlgItem(dialog, kFileTextId)) {
    if (plan.fileText == display::StaticChange::Show && !IsWindowVisible(file)) ShowWindow(file, SW_SHOW);
    if (plan.fileText == display::StaticChange::Hide && IsWindowVisible(file)) ShowWindow(file, SW_HIDE);
  }
  if (plan.presetName == display::NameChange::Empty) SetStaticText(dialog, kPresetNameId, "");
  DrawPlan(dc, plan);
  if (plan.presetName == display::NameChange::FromPreset) SetStaticText(dialog, kPresetNameId, presetName);
}

BOOL SkinCanvas::PaintSkin(HWND window, HDC windowDc, const display::IndicatorState& state, const std::string& presetName) {
  RECT client;
  GetClientRect(window, &client);
  if (!memory_) memory_.Reset(CreateCompatibleDC(windowDc));
  UniqueBitmap face(static_cast<HBITMAP>(
      LoadImageA(SkinInstance(), MAKEINTRESOURCEA(IDB_FACE), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  {
    SelectionRestorer select(memory_.Get(), face.Get());
    if (face) DrawIndicators(window, memory_.Get(), state, presetName);
    BitBlt(windowDc, 0, 0, client.right, client.bottom, memory_.Get(), 0, 0, SRCCOPY);
  }
  return TRUE;
}

}  // namespace skin
