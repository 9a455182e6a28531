#pragma once
// A picture strip of equal cells with one see-through colour, kept ready for drawing: the picture
// with that colour turned black and a mask that is white where it was, each selected into a
// memory DC of its own. A cell is then two blits onto the target and nothing is created on the
// way, where an image list makes and drops a device context and a bitmap for every draw.

#include <windows.h>

#include <memory>

#include "base/win32/GdiHandles.h"

class CellStrip {
 public:
  // Null when the bitmap cannot be loaded or the cells do not fit it.
  static std::unique_ptr<CellStrip> Load(HINSTANCE instance, int bitmapId, int cellWidth, COLORREF transparent);

  // Cell `cell` with its top left at (x, y); a cell the strip does not have draws nothing.
  void Draw(HDC dc, int cell, int x, int y) const;
  int CellCount() const { return cells_; }

 private:
  CellStrip() = default;

  int cellWidth_ = 0, height_ = 0, cells_ = 0;
  // Bitmaps before their DCs: the DCs go first and let go of them.
  UniqueBitmap imageBits_, maskBits_;
  UniqueMemoryDc image_, mask_;
};
