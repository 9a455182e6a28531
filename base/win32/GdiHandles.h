#pragma once
// Move-only owners of the GDI and image-list handles the skin uses, of icons and of loaded
// modules, and a selection restorer.

#include <windows.h>
#include <commctrl.h>

#include <utility>

template <typename H, typename Traits>
class UniqueGdiHandle {
 public:
  UniqueGdiHandle() = default;
  explicit UniqueGdiHandle(H h) : h_(h) {}
  ~UniqueGdiHandle() { Reset(); }
  UniqueGdiHandle(UniqueGdiHandle&& o) noexcept : h_(std::exchange(o.h_, H{})) {}
  UniqueGdiHandle& operator=(UniqueGdiHandle&& o) noexcept {
    if (this != &o) {
      Reset();
      h_ = std::exchange(o.h_, H{});
    }
    return *this;
  }
  UniqueGdiHandle(const UniqueGdiHandle&) = delete;
  UniqueGdiHandle& operator=(const UniqueGdiHandle&) = delete;
  H Get() const { return h_; }
  // Hands the handle to a new owner (for example SetWindowRgn) without closing it.
  H Release() { return std::exchange(h_, H{}); }
  explicit operator bool() const { return h_ != H{}; }
  void Reset(H h = H{}) {
    if (h_ != H{}) Traits::Close(h_);
    h_ = h;
  }

 private:
  H h_{};
};

struct GdiObjectTraits {
  static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct DcTraits {
  static void Close(HDC h) { DeleteDC(h); }
};
struct ImageListTraits {
  static void Close(HIMAGELIST h) { ImageList_Destroy(h); }
};

struct IconTraits {
  static void Close(HICON h) { DestroyIcon(h); }
};

struct ModuleTraits {
  static void Close(HMODULE module) { FreeLibrary(module); }
};

using UniqueBrush = UniqueGdiHandle<HBRUSH, GdiObjectTraits>;
using UniqueBitmap = UniqueGdiHandle<HBITMAP, GdiObjectTraits>;
using UniqueFont = UniqueGdiHandle<HFONT, GdiObjectTraits>;
using UniqueRegion = UniqueGdiHandle<HRGN, GdiObjectTraits>;
using UniqueMemoryDc = UniqueGdiHandle<HDC, DcTraits>;
using UniqueImageList = UniqueGdiHandle<HIMAGELIST, ImageListTraits>;
using UniqueIcon = UniqueGdiHandle<HICON, IconTraits>;
using UniqueModule = UniqueGdiHandle<HMODULE, ModuleTraits>;

// Selects an object into a DC and puts the previous one back at scope end.
class SelectionRestorer {
 public:
  SelectionRestorer(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
  ~SelectionRestorer() {
    if (old_) SelectObject(dc_, old_);
  }
  SelectionRestorer(const SelectionRestorer&) = delete;
  SelectionRestorer& operator=(const SelectionRestorer&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// Strip of equal cells loaded as an image list (24-bit DIB section, one image of growth).
inline UniqueImageList LoadStrip(HINSTANCE instance, int bitmapId, int cellWidth, COLORREF transparent) {
  return UniqueImageList(ImageList_LoadImageA(instance, MAKEINTRESOURCEA(bitmapId), cellWidth, 1, transparent,
                                              IMAGE_BITMAP, LR_CREATEDIBSECTION));
}

// The module whose resources hold the skin (the executable).
inline HINSTANCE SkinInstance() { return GetModuleHandleA(nullptr); }
