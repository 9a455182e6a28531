#pragma once
// Pixels of bitmaps and windows as 0x00RRGGBB words, for checking what was really drawn.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct Pixels {
  int width = 0, height = 0;
  std::vector<DWORD> data;  // top-down 0x00RRGGBB
  DWORD At(int x, int y) const { return data[static_cast<std::size_t>(y) * width + x] & 0xFFFFFF; }
};

inline Pixels PixelsOfBitmap(HBITMAP bitmap) {
  Pixels p;
  BITMAP info{};
  if (!GetObjectA(bitmap, sizeof info, &info)) return p;
  p.width = info.bmWidth;
  p.height = info.bmHeight;
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), p.width, -p.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  p.data.resize(static_cast<std::size_t>(p.width) * p.height);
  HDC dc = CreateCompatibleDC(nullptr);
  GetDIBits(dc, bitmap, 0, static_cast<UINT>(p.height), p.data.data(), &bi, DIB_RGB_COLORS);
  DeleteDC(dc);
  return p;
}

inline Pixels PixelsOfResource(int id) {
  HBITMAP bmp = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0,
                                                LR_CREATEDIBSECTION));
  Pixels p = PixelsOfBitmap(bmp);
  DeleteObject(bmp);
  return p;
}

// A 32-bit top-down DIB section with a memory DC, filled with one colour.
class Canvas {
 public:
  Canvas(int w, int h, COLORREF fill) : w_(w), h_(h) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    dc_ = CreateCompatibleDC(nullptr);
    bmp_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = SelectObject(dc_, bmp_);
    HBRUSH b = CreateSolidBrush(fill);
    RECT rc{0, 0, w, h};
    FillRect(dc_, &rc, b);
    DeleteObject(b);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bmp_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  HDC Dc() const { return dc_; }
  DWORD At(int x, int y) const {
    GdiFlush();
    return bits_[static_cast<std::size_t>(y) * w_ + x] & 0xFFFFFF;
  }
  Pixels Snapshot() const {
    GdiFlush();
    Pixels p;
    p.width = w_;
    p.height = h_;
    p.data.assign(bits_, bits_ + static_cast<std::size_t>(w_) * h_);
    return p;
  }

 private:
  int w_, h_;
  HDC dc_;
  HBITMAP bmp_;
  HGDIOBJ old_;
  DWORD* bits_ = nullptr;
};

// Pixels of a window as they are on the screen now (the X server of the test rig).
inline Pixels PixelsOfScreen(int x, int y, int w, int h) {
  Canvas canvas(w, h, 0);
  HDC screen = GetDC(nullptr);
  BitBlt(canvas.Dc(), 0, 0, w, h, screen, x, y, SRCCOPY);
  ReleaseDC(nullptr, screen);
  return canvas.Snapshot();
}

// Lets queued painting and timers run for `ms` milliseconds.
inline void PumpMessages(DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(5);
  } while (static_cast<LONG>(end - GetTickCount()) > 0);
}
