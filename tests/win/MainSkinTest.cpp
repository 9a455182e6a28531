// The main window's skin on a stand-in of dialog 129: shape, composed face, bitmap buttons,
// tooltips and colours, checked on the screen of the test rig; leaves a screenshot behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/ButtonSkinTable.h"
#include "app/win32/MainSkin.h"
#include "resources/skin_ids.h"
#include "tests/support/PngWriter.h"
#include "tests/win/PixelGrab.h"

namespace {

MainSkin* g_skin = nullptr;
display::IndicatorState g_state;
std::string g_name = "Channel01";
std::vector<WPARAM> g_commands;

LRESULT CALLBACK FaceProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (g_skin != nullptr) {
    if (msg == WM_ERASEBKGND) return g_skin->PaintSkin(hwnd, reinterpret_cast<HDC>(wParam), g_state, g_name);
    if (g_skin->HandleCtlColor(msg, wParam, lParam, result)) return result;
  }
  if (msg == WM_COMMAND) g_commands.push_back(wParam);
  if (msg == WM_NOTIFY && ReflectNotification(hwnd, msg, wParam, lParam, result)) return result;
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// Controls of dialog 129 the skin touches, at rough template positions.
HWND MakeFace() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = FaceProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "KestruneFaceHost";
  RegisterClassA(&wc);
  HWND face = CreateWindowExA(WS_EX_TOPMOST, "KestruneFaceHost", "Kestrune", WS_POPUP, 100, 100, 535, 252, nullptr,
                              nullptr, wc.hInstance, nullptr);
  auto child = [face, &wc](const char* cls, const char* text, DWORD style, int id, int x, int y, int w, int h) {
    return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, face,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), wc.hInstance, nullptr);
  };
  for (const display::ButtonSkin& s : display::ButtonSkins()) child("Button", "", BS_PUSHBUTTON, s.id, 0, 0, 20, 20);
  child("Static", "", SS_LEFT, 1120, 375, 85, 122, 24);
  child("Static", "", SS_LEFT, 1128, 300, 122, 190, 14);
  child("Static", "", SS_LEFT, 1130, 41, 122, 240, 14);
  child(TRACKBAR_CLASSA, "", TBS_HORZ | TBS_NOTICKS, 1033, 0, 0, 100, 28);
  child(TRACKBAR_CLASSA, "", TBS_HORZ | TBS_NOTICKS, 1148, 0, 0, 100, 28);
  return face;
}

void SaveScreenshot(const Pixels& shot, const std::string& name) {
  const std::filesystem::path dir = std::filesystem::path(KESTRUNE_BINARY_DIR) / "artifacts";
  std::filesystem::create_directories(dir);
  std::vector<std::uint8_t> rgb;
  for (DWORD v : shot.data) rgb.insert(rgb.end(), {std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)});
  WritePng((dir / name).string(), shot.width, shot.height, rgb);
}

}  // namespace

TEST(MainSkin, ShapedFaceReadoutButtonsAndTips) {
  HWND face = MakeFace();
  ASSERT_NE(face, nullptr);
  MainSkin skin;
  g_skin = &skin;
  g_state.deviceOpen = true;
  g_state.band = 1;
  g_state.frequency = 8750;
  g_state.preset = 1;
  g_state.stereo = 1;
  g_state.signal = 4;
  skin.Load(face, 1);
  SendMessageA(GetDlgItem(face, 1033), TBM_SETPOS, TRUE, 60);
  skin.RefreshPresetTips(1, [](int n) { return std::pair<std::string, std::string>(n == 1 ? "Channel01" : "", "8750"); });
  ASSERT_TRUE(skin::BuildWindowRegion(face));
  ShowWindow(face, SW_SHOW);
  SetForegroundWindow(face);
  UpdateWindow(face);
  PumpMessages(300);

  RECT wr;
  GetWindowRect(face, &wr);
  const Pixels shot = PixelsOfScreen(wr.left, wr.top, 535, 252);
  SaveScreenshot(shot, "main-window.png");

  // The readout on screen is the glyph picture: an opaque pixel of the "8" at x 194.
  const Pixels glyphs = PixelsOfResource(IDB_READOUT_GLYPHS);
  int checked = 0;
  for (int j = 0; j < 30; ++j)
    for (int i = 0; i < 21; ++i)
      if (glyphs.At(8 * 21 + i, j) != 0x0000FF) {
        EXPECT_EQ(shot.At(194 + i, 74 + j), glyphs.At(8 * 21 + i, j)) << i << "," << j;
        ++checked;
      }
  EXPECT_GT(checked, 50);
  // Preset button 1 shows its normal cell at (65, 35).
  const Pixels presets = PixelsOfResource(IDB_PRESET_BUTTONS);
  EXPECT_EQ(shot.At(65 + 9, 35 + 14), presets.At(9, 14));
  // The window is cut where the face is pure blue: the top-left corner is not the face.
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(face, region), ERROR);
  EXPECT_FALSE(PtInRegion(region, 0, 0));
  EXPECT_TRUE(PtInRegion(region, 267, 126));
  DeleteObject(region);

  // Layout and behaviour of the buttons.
  RECT rc;
  GetWindowRect(GetDlgItem(face, 1020), &rc);
  EXPECT_EQ(rc.left - wr.left, 371);
  EXPECT_EQ(rc.right - rc.left, 46);
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(face, 999)));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(face, 1148)));
  RECT channel{};
  SendMessageA(GetDlgItem(face, 1033), TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  EXPECT_GE(channel.right - channel.left, 110);
  EXPECT_EQ(SendMessageA(GetDlgItem(face, 1033), TBM_GETRANGEMAX, 0, 0), 100);

  g_commands.clear();
  HWND tuneUp = GetDlgItem(face, 1020);
  SendMessageA(tuneUp, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_TRUE(skin.Button(1020)->IsPushed());
  SendMessageA(tuneUp, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  ASSERT_EQ(g_commands.size(), 2u);  // one press, one click
  EXPECT_EQ(g_commands[0], MAKEWPARAM(1020, BN_HILITE));
  EXPECT_EQ(g_commands[1], MAKEWPARAM(1020, BN_CLICKED));

  EXPECT_EQ(skin.Tip(1000), "Presets Dwon");
  EXPECT_EQ(skin.Tip(1032), "Stereo");
  EXPECT_EQ(skin.Tip(1001), "Channel01 : 87.50Mhz");
  EXPECT_EQ(skin.Tip(1002), "CH02 : 87.50Mhz");
  char name[64] = {};
  GetDlgItemTextA(face, 1120, name, sizeof name);
  EXPECT_STREQ(name, "Channel01");
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(face, 1130)));  // the banner replaces it

  EXPECT_EQ(skin.RecordingDisplayTick(3, "REC 15Min", 187), IDI_RECORDING);
  EXPECT_EQ(skin.Button(1022)->NormalImage(), 3);
  char clock[64] = {};
  GetDlgItemTextA(face, 1128, clock, sizeof clock);
  EXPECT_STREQ(clock, "REC 15Min   00:03:07");
  EXPECT_EQ(skin.RecordingDisplayTick(4, "", 5), IDI_KESTRUNE);
  EXPECT_EQ(skin.Button(1022)->NormalImage(), 2);

  g_skin = nullptr;
  DestroyWindow(face);
}
