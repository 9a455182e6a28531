#pragma once
// The main window's face: its shape, the off-screen composition of background and readout, and
// the two static texts the readout controls.

#include <windows.h>

#include <string>

#include "app/DisplayLayout.h"
#include "base/win32/GdiHandles.h"

namespace skin {

// Every pixel of `bitmap` that is not exactly pure blue (COLORREF 0xFF0000), as row runs.
UniqueRegion RegionFromBitmap(HBITMAP bitmap);
// Shapes `window` after bitmap 409; false when the picture is missing.
bool BuildWindowRegion(HWND window);

// Draws the plan's picture cells into `dc`; each strip is loaded for its draw and released.
void DrawPlan(HDC dc, const display::IndicatorPlan& plan);
// The readout step as a whole: the pictures, plus static 1120 (preset name) and 1130 (file text).
void DrawIndicators(HWND dialog, HDC dc, const display::IndicatorState& state, const std::string& presetName);

// Sets a transparent static's text only when it changed, and has the skin under it repainted so
// the old letters do not stay behind.
void SetStaticText(HWND dialog, int id, const std::string& text);

// The memory context of the main window, created on the first paint.
class SkinCanvas {
 public:
  // Background erase: composes bitmap 409 and the indicators off screen, then one blit.
  BOOL PaintSkin(HWND window, HDC windowDc, const display::IndicatorState& state, const std::string& presetName);

 private:
  UniqueMemoryDc memory_;
};

}  // namespace skin
