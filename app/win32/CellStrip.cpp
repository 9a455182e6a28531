#include "app/win32/CellStrip.h"

#include <cstdint>

namespace {

// A 32-bit top-down DIB section of the given size and its pixels.
HBITMAP CreatePixels(int width, int height, std::uint32_t*& pixels) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  pixels = static_cast<std::uint32_t*>(bits);
  return bitmap;
}

}  // namespace

std::unique_ptr<CellStrip> CellStrip::Load(HINSTANCE instance, int bitmapId, int cellWidth, COLORREF transparent) {
  UniqueBitmap source(static_cast<HBITMAP>(
      LoadImageA(instance, MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  BITMAP size{};
  if (!source || !GetObjectA(source.Get(), sizeof size, &size) || cellWidth <= 0 || size.bmWidth < cellWidth ||
      size.bmHeight <= 0)
    return nullptr;
  std::unique_ptr<CellStrip> strip(new CellStrip);
  strip->cellWidth_ = cellWidth;
  strip->height_ = size.bmHeight;
  strip->cells_ = size.bmWidth / cellWidth;
  std::uint32_t* image = nullptr;
  std::uint32_t* mask = nullptr;
  strip->imageBits_.Reset(CreatePixels(size.bmWidth, size.bmHeight, image));
  strip->maskBits_.Reset(CreatePixels(size.bmWidth, size.bmHeight, mask));
  strip->image_.Reset(CreateCompatibleDC(nullptr));
  strip->mask_.Reset(CreateCompatibleDC(nullptr));
  if (!strip->imageBits_ || !strip->maskBits_ || !strip->image_ || !strip->mask_) return nullptr;
  SelectObject(strip->image_.Get(), strip->imageBits_.Get());
  SelectObject(strip->mask_.Get(), strip->maskBits_.Get());
  {
    UniqueMemoryDc from(CreateCompatibleDC(nullptr));
    if (!from) return nullptr;
    SelectionRestorer select(from.Get(), source.Get());
    BitBlt(strip->image_.Get(), 0, 0, size.bmWidth, size.bmHeight, from.Get(), 0, 0, SRCCOPY);
  }
  GdiFlush();
  // DIB pixels are 0x00RRGGBB, a COLORREF is 0x00BBGGRR.
  const std::uint32_t key = (GetRValue(transparent) << 16) | (GetGValue(transparent) << 8) | GetBValue(transparent);
  const size_t count = static_cast<size_t>(size.bmWidth) * static_cast<size_t>(size.bmHeight);
  for (size_t i = 0; i < count; ++i) {
    const bool seeThrough = (image[i] & 0xFFFFFFu) == key;
    if (seeThrough) image[i] = 0;
    mask[i] = seeThrough ? 0xFFFFFFu : 0;
  }
  return strip;
}

void CellStrip::Draw(HDC dc, int cell, int x, int y) const {
  if (cell < 0 || cell >= cells_) return;
  // What lies under the see-through pixels stays; the picture's own pixels replace the rest.
  BitBlt(dc, x, y, cellWidth_, height_, mask_.Get(), cell * cellWidth_, 0, SRCAND);
  BitBlt(dc, x, y, cellWidth_, height_, image_.Get(), cell * cellWidth_, 0, SRCPAINT);
}
