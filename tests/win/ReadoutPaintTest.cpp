// Readout and window shape, checked on real pixels drawn by GDI.
#include <gtest/gtest.h>

#include "app/DisplayLayout.h"
#include "app/win32/SkinPainter.h"
#include "resources/skin_ids.h"
#include "tests/win/PixelGrab.h"

namespace {

constexpr COLORREF kBack = RGB(10, 20, 30);
constexpr DWORD kBackRgb = 0x0A141E;
constexpr DWORD kKey = 0x0000FF;  // pure blue as 0x00RRGGBB

// True when the cell `cell` of `strip` (cell width `w`) is what the canvas shows at (x, y):
// opaque pixels copied, see-through ones left as the background.
::testing::AssertionResult CellAt(const Canvas& canvas, const Pixels& strip, int w, int cell, int x, int y,
                                  int columns = 0) {
  int opaque = 0;
  for (int j = 0; j < strip.height; ++j)
    for (int i = 0; i < (columns ? columns : w); ++i) {
      const DWORD src = strip.At(cell * w + i, j);
      const DWORD want = src == kKey ? kBackRgb : src;
      opaque += src != kKey;
      if (canvas.At(x + i, y + j) != want)
        return ::testing::AssertionFailure() << "cell " << cell << " at " << x << "," << y << " differs at +" << i << ",+" << j;
    }
  if (opaque == 0) return ::testing::AssertionFailure() << "cell " << cell << " is empty";
  return ::testing::AssertionSuccess();
}

bool Blank(const Canvas& canvas, int x, int y, int w, int h) {
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i)
      if (canvas.At(x + i, y + j) != kBackRgb) return false;
  return true;
}

Canvas* Draw(display::IndicatorState s) {
  auto* canvas = new Canvas(535, 252, kBack);
  skin::DrawPlan(canvas->Dc(), display::PlanIndicators(s));
  return canvas;
}

display::IndicatorState Tuned(std::uint8_t band, std::uint16_t f) {
  display::IndicatorState s;
  s.deviceOpen = true;
  s.band = band;
  s.frequency = f;
  return s;
}

}  // namespace

TEST(ReadoutPaint, FmDigitsLandOnTheirColumns) {
  const Pixels glyphs = PixelsOfResource(IDB_READOUT_GLYPHS);
  const Pixels point = PixelsOfResource(IDB_DECIMAL_POINT);
  std::unique_ptr<Canvas> c(Draw(Tuned(1, 8750)));
  EXPECT_TRUE(Blank(*c, 173, 74, 21, 30));
  EXPECT_TRUE(CellAt(*c, glyphs, 21, 8, 194, 74));
  EXPECT_TRUE(CellAt(*c, glyphs, 21, 7, 215, 74));
  EXPECT_TRUE(CellAt(*c, point, 13, 0, 236, 74));
  EXPECT_TRUE(CellAt(*c, glyphs, 21, 5, 251, 74));
  EXPECT_TRUE(CellAt(*c, glyphs, 21, 0, 272, 74));
  c.reset(Draw(Tuned(1, 10000)));
  EXPECT_TRUE(CellAt(*c, glyphs, 21, 1, 173, 74));
}

TEST(ReadoutPaint, AmAndSwDigitCounts) {
  const Pixels glyphs = PixelsOfResource(IDB_READOUT_GLYPHS);
  std::unique_ptr<Canvas> c(Draw(Tuned(0, 999)));
  EXPECT_TRUE(Blank(*c, 194, 74, 21, 30));
  EXPECT_TRUE(CellAt(*c, glyphs, 21, 9, 215, 74));
  EXPECT_TRUE(CellAt(*c, glyphs, 21, 9, 257, 74));
  c.reset(Draw(Tuned(0, 1000)));
  EXPECT_TRUE(CellAt(*c, glyphs, 21, 1, 194, 74));
  EXPECT_TRUE(CellAt(*c, glyphs, 21, 0, 257, 74));
  c.reset(Draw(Tuned(2, 2300)));
  EXPECT_TRUE(Blank(*c, 173, 74, 21, 30));
  EXPECT_TRUE(CellAt(*c, glyphs, 21, 2, 194, 74));
  EXPECT_TRUE(CellAt(*c, glyphs, 21, 3, 215, 74));
}

TEST(ReadoutPaint, PresetNumberPlaybackLettersAndIndicators) {
  const Pixels numbers = PixelsOfResource(IDB_PRESET_NUMBER);
  display::IndicatorState s = Tuned(1, 8750);
  s.preset = 10;
  s.stereo = 1;
  s.signal = 3;
  std::unique_ptr<Canvas> c(Draw(s));
  EXPECT_TRUE(CellAt(*c, numbers, 37, 9, 331, 85));
  EXPECT_TRUE(CellAt(*c, PixelsOfResource(IDB_BAND_LABEL), 35, 1, 138, 76));
  EXPECT_TRUE(CellAt(*c, PixelsOfResource(IDB_UNIT_LABEL), 29, 1, 293, 85));
  EXPECT_TRUE(CellAt(*c, PixelsOfResource(IDB_STEREO_INDICATOR), 43, 1, 40, 86));
  // The meter's last columns lie under the band label (x 138), drawn earlier: compare the rest.
  EXPECT_TRUE(CellAt(*c, PixelsOfResource(IDB_SIGNAL_METER), 56, 3, 84, 85, 138 - 84));
  EXPECT_TRUE(CellAt(*c, PixelsOfResource(IDB_BANNER), 240, 0, 41, 120));
  s.preset = 9;
  c.reset(Draw(s));
  EXPECT_TRUE(CellAt(*c, numbers, 37, 8, 341, 85));

  display::IndicatorState play = Tuned(1, 8750);
  play.playing = true;
  c.reset(Draw(play));
  const Pixels glyphs = PixelsOfResource(IDB_READOUT_GLYPHS);
  EXPECT_TRUE(CellAt(*c, glyphs, 21, 22, 243, 75));
  EXPECT_TRUE(CellAt(*c, glyphs, 21, 25, 264, 75));
  EXPECT_TRUE(CellAt(*c, glyphs, 21, 3, 285, 75));
  EXPECT_TRUE(Blank(*c, 138, 76, 35, 21));  // no band, unit, stereo or signal during playback
  EXPECT_TRUE(Blank(*c, 40, 86, 43, 26));
  EXPECT_TRUE(Blank(*c, 307, 85, 15, 13));  // right of the "3"
}

TEST(WindowRegion, CutsExactlyThePureBluePixels) {
  HBITMAP face = static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_FACE), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ASSERT_NE(face, nullptr);
  const Pixels px = PixelsOfBitmap(face);
  ASSERT_EQ(px.width, 534);
  ASSERT_EQ(px.height, 252);
  UniqueRegion region = skin::RegionFromBitmap(face);
  DeleteObject(face);
  ASSERT_TRUE(region);
  int cut = 0, mismatches = 0;
  for (int y = 0; y < px.height; ++y)
    for (int x = 0; x < px.width; ++x) {
      const bool blue = px.At(x, y) == kKey;
      cut += blue;
      mismatches += (PtInRegion(region.Get(), x, y) != 0) == blue;
    }
  EXPECT_EQ(mismatches, 0);
  EXPECT_GT(cut, 500);       // the corners and side notches are real holes
  EXPECT_LT(cut, 534 * 30);  // and the face is most of the picture
  EXPECT_FALSE(PtInRegion(region.Get(), 534, 126));  // the window's last column lies outside

  // One unit away from pure blue in any channel is window, not hole.
  Canvas tiny(4, 1, RGB(0, 0, 255));
  SetPixel(tiny.Dc(), 1, 0, RGB(1, 0, 255));
  SetPixel(tiny.Dc(), 2, 0, RGB(0, 1, 255));
  SetPixel(tiny.Dc(), 3, 0, RGB(0, 0, 254));
  HBITMAP sample = static_cast<HBITMAP>(GetCurrentObject(tiny.Dc(), OBJ_BITMAP));
  UniqueRegion small = skin::RegionFromBitmap(sample);
  ASSERT_TRUE(small);
  EXPECT_FALSE(PtInRegion(small.Get(), 0, 0));
  EXPECT_TRUE(PtInRegion(small.Get(), 1, 0));
  EXPECT_TRUE(PtInRegion(small.Get(), 2, 0));
  EXPECT_TRUE(PtInRegion(small.Get(), 3, 0));
}

TEST(SkinArt, PicturesHaveTheirSizes) {
  const struct {
    int id, w, h;
  } sizes[] = {{409, 534, 252}, {387, 756, 30}, {412, 13, 30}, {385, 105, 21}, {390, 60, 13}, {388, 444, 13},
               {391, 86, 26},   {399, 336, 28}, {422, 240, 21}, {394, 456, 19}, {402, 168, 27}, {423, 96, 19},
               {397, 384, 43},  {386, 426, 42}, {405, 192, 29}, {404, 184, 29}, {395, 216, 45}, {407, 142, 42},
               {393, 74, 38},   {392, 192, 29}, {389, 156, 16}, {410, 110, 16}, {428, 150, 24}};
  for (const auto& s : sizes) {
    const Pixels p = PixelsOfResource(s.id);
    EXPECT_EQ(p.width, s.w) << s.id;
    EXPECT_EQ(p.height, s.h) << s.id;
  }
  for (int icon : {IDI_KESTRUNE, IDI_RECORDING})
    EXPECT_NE(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(icon), IMAGE_ICON, 16, 16, 0), nullptr) << icon;
}
