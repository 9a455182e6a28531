// The real main window in its skin, against the simulated receiver: what the screen of the test
// rig shows after start, tuning, the signal reading, band and stereo changes, and the window's
// shape. Leaves screenshots of the tuned window behind as artifacts.
#include "tests/win/MainSkinKit.h"

namespace {

TEST_F(MainSkinTest, TunedReadoutSignalAndButtonsOnScreen) {
  Start(true);
  const Pixels glyphs = PixelsOfResource(IDB_READOUT_GLYPHS);
  const Pixels point = PixelsOfResource(IDB_DECIMAL_POINT);
  const Pixels meter = PixelsOfResource(IDB_SIGNAL_METER);

  Pixels shot = Shot();
  // FM 87.50 MHz, preset 1 of the European defaults, stereo, no signal read yet.
  EXPECT_TRUE(BareFace(shot, face, 173, 74, 21, 30));
  EXPECT_TRUE(CellOnFace(shot, face, glyphs, 21, 8, 194, 74));
  EXPECT_TRUE(CellOnFace(shot, face, glyphs, 21, 7, 215, 74));
  EXPECT_TRUE(CellOnFace(shot, face, point, 13, 0, 236, 74));
  EXPECT_TRUE(CellOnFace(shot, face, glyphs, 21, 5, 251, 74));
  EXPECT_TRUE(CellOnFace(shot, face, glyphs, 21, 0, 272, 74));
  EXPECT_TRUE(CellOnFace(shot, face, PixelsOfResource(IDB_PRESET_NUMBER), 37, 0, 341, 85, kBlueKey, 375 - 341));
  EXPECT_TRUE(CellOnFace(shot, face, PixelsOfResource(IDB_BAND_LABEL), 35, 1, 138, 76));
  EXPECT_TRUE(CellOnFace(shot, face, PixelsOfResource(IDB_UNIT_LABEL), 29, 1, 293, 85));
  EXPECT_TRUE(CellOnFace(shot, face, PixelsOfResource(IDB_STEREO_INDICATOR), 43, 1, 40, 86));
  EXPECT_TRUE(CellOnFace(shot, face, meter, 56, 0, 84, 85, kBlueKey, 138 - 84));
  EXPECT_TRUE(CellOnFace(shot, face, PixelsOfResource(IDB_BANNER), 240, 0, 41, 120));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(hwnd, IDC_TEXT_FILE)));
  char name[64] = {};
  GetDlgItemTextA(hwnd, IDC_PRESET_NAME, name, sizeof name);
  EXPECT_STREQ(name, "Channel01");
  const int nameInk = WhitePixels(shot, 375, 85, 122, 24);
  EXPECT_GT(nameInk, 20) << kFontDependent;

  // Timer 8 reads the signal (45 gives four bars); only the readout is repainted, and the
  // preset name over it is repainted with it.
  Timer(kTimerSignal);
  EXPECT_EQ(app->Radio().Signal(), 4);
  shot = Shot();
  EXPECT_TRUE(CellOnFace(shot, face, meter, 56, 4, 84, 85, kBlueKey, 138 - 84));
  EXPECT_EQ(WhitePixels(shot, 375, 85, 122, 24), nameInk) << kFontDependent;
  EXPECT_TRUE(CellOnFace(shot, face, glyphs, 21, 8, 194, 74));

  // Bitmap buttons: each on its rectangle, showing its normal cell over the face. Two neighbours
  // overlap by the layout: Mute covers the right end of Settings, the widened volume slider the
  // first column of Seek Down.
  RECT volume;
  GetWindowRect(GetDlgItem(hwnd, IDC_VOLUME), &volume);
  MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&volume), 2);
  for (const display::ButtonSkin& s : display::ButtonSkins()) {
    HWND button = GetDlgItem(hwnd, s.id);
    if (s.hidden) {
      EXPECT_FALSE(IsWindowVisible(button)) << s.id;
      continue;
    }
    RECT rc;
    GetWindowRect(button, &rc);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(rc.left, s.x) << s.id;
    EXPECT_EQ(rc.top, s.y) << s.id;
    EXPECT_EQ(rc.right - rc.left, s.width) << s.id;
    EXPECT_EQ(rc.bottom - rc.top, s.height) << s.id;
    const Pixels strip = PixelsOfResource(s.bitmapId);
    int first = 0, last = std::min(s.cellWidth, s.width);
    if (s.id == IDC_SETTINGS) last = 94 - s.x;
    if (s.id == IDC_SEEK_DOWN) first = std::max(0, static_cast<int>(volume.right) - s.x);
    const DWORD key = s.transparent == display::kKeyBlue ? kBlueKey : kGreenKey;
    EXPECT_TRUE(CellOnFace(shot, face, strip, s.cellWidth, s.normal, s.x, s.y, key, last - first, first)) << s.id;
  }
  RECT nameRect;
  GetWindowRect(GetDlgItem(hwnd, IDC_PRESET_NAME), &nameRect);
  MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&nameRect), 2);
  EXPECT_EQ(nameRect.left, 375);
  EXPECT_EQ(nameRect.top, 85);
  EXPECT_EQ(nameRect.right - nameRect.left, 122);
  EXPECT_EQ(nameRect.bottom - nameRect.top, 24);
  RECT channel{};
  EXPECT_EQ(volume.left, 135);
  EXPECT_EQ(volume.top, 157);
  EXPECT_EQ(volume.bottom - volume.top, 28);
  SendDlgItemMessageA(hwnd, IDC_VOLUME, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  // The narrowest slider whose channel holds the channel picture.
  EXPECT_EQ(channel.right - channel.left, 110) << kFontDependent;
  EXPECT_EQ(SendDlgItemMessageA(hwnd, IDC_VOLUME, TBM_GETPOS, 0, 0), 60);
  // Around its pictures the slider shows the face, not a box of its own: the rows above the
  // channel picture, beside the thumb.
  RECT thumb{};
  SendDlgItemMessageA(hwnd, IDC_VOLUME, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  EXPECT_TRUE(BareFace(shot, face, volume.left, volume.top, thumb.left, 6));
  EXPECT_TRUE(BareFace(shot, face, volume.left + thumb.right, volume.top, volume.right - volume.left - thumb.right, 6));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(hwnd, IDC_POSITION)));

  SaveShot(shot, "main-window.png");

  // Tooltips, fixed and from the presets of the band.
  EXPECT_EQ(dlg->Skin().Tip(1000), "Presets Dwon");
  EXPECT_EQ(dlg->Skin().Tip(1019), "Tune  Down");
  EXPECT_EQ(dlg->Skin().Tip(1032), "Stereo");
  EXPECT_EQ(dlg->Skin().Tip(1001), "Channel01 : 87.50Mhz");
  EXPECT_EQ(dlg->Skin().Tip(1012), "Channel12 : 87.50Mhz");
}

TEST_F(MainSkinTest, TuningBandStereoAndMuteRepaintWhatChanged) {
  Start(true);
  const Pixels glyphs = PixelsOfResource(IDB_READOUT_GLYPHS);
  const Pixels point = PixelsOfResource(IDB_DECIMAL_POINT);

  // A Tune Down click as the mouse makes it: one press, one click, one tune report. From the
  // lower edge it wraps to 108.00 MHz, which uses the hundreds column.
  receiver.ClearLog();
  Click(IDC_TUNE_DOWN);
  ::KillTimer(hwnd, kTimerSignal);
  EXPECT_EQ(app->Radio().Frequency(BandFM), 10800);
  EXPECT_EQ(receiver.LogPrefixes(1), (std::vector<std::vector<uint8_t>>{{0x02}}));
  Pixels shot = Shot();
  EXPECT_TRUE(CellOnFace(shot, face, glyphs, 21, 1, 173, 74));
  EXPECT_TRUE(CellOnFace(shot, face, glyphs, 21, 0, 194, 74));
  EXPECT_TRUE(CellOnFace(shot, face, glyphs, 21, 8, 215, 74));
  EXPECT_TRUE(CellOnFace(shot, face, point, 13, 0, 236, 74));
  EXPECT_TRUE(CellOnFace(shot, face, glyphs, 21, 0, 251, 74));
  EXPECT_TRUE(CellOnFace(shot, face, glyphs, 21, 0, 272, 74));
  // Off every preset: no number and no name.
  EXPECT_TRUE(BareFace(shot, face, 331, 85, 44, 13));
  EXPECT_EQ(WhitePixels(shot, 375, 85, 122, 24), 0);

  // AM 999 kHz: three digits from x 215, the unit turns to kHz.
  Command(IDC_AM);
  ::KillTimer(hwnd, kTimerSignal);
  shot = Shot();
  EXPECT_TRUE(BareFace(shot, face, 173, 74, 42, 30));
  EXPECT_TRUE(CellOnFace(shot, face, glyphs, 21, 9, 215, 74));
  EXPECT_TRUE(CellOnFace(shot, face, glyphs, 21, 9, 236, 74));
  EXPECT_TRUE(CellOnFace(shot, face, glyphs, 21, 9, 257, 74));
  EXPECT_TRUE(CellOnFace(shot, face, PixelsOfResource(IDB_BAND_LABEL), 35, 0, 138, 76));
  EXPECT_TRUE(CellOnFace(shot, face, PixelsOfResource(IDB_UNIT_LABEL), 29, 0, 293, 85));
  EXPECT_EQ(dlg->Skin().Tip(1001), "Channel01 : 522Khz");

  // Stereo to mono: indicator, button cells and tooltip follow.
  Command(IDC_STEREO);
  EXPECT_EQ(app->Radio().Stereo(), 0);
  shot = Shot();
  EXPECT_TRUE(CellOnFace(shot, face, PixelsOfResource(IDB_STEREO_INDICATOR), 43, 0, 40, 86));
  const Pixels stereoStrip = PixelsOfResource(IDB_STEREO_BUTTON);
  EXPECT_TRUE(CellOnFace(shot, face, stereoStrip, 48, 0, 475, 157));
  EXPECT_EQ(dlg->Skin().Button(IDC_STEREO)->PushedImage(), 2);
  EXPECT_EQ(dlg->Skin().Tip(IDC_STEREO), "Mono");

  // One mouse click on Mute mutes once and shows the crossed-out speaker.
  Click(IDC_MUTE);
  EXPECT_EQ(app->Radio().Muted(), 1);
  shot = Shot();
  EXPECT_TRUE(CellOnFace(shot, face, PixelsOfResource(IDB_MUTE_BUTTON), 37, 0, 94, 157, kGreenKey));
  Click(IDC_MUTE);
  EXPECT_EQ(app->Radio().Muted(), 0);
  shot = Shot();
  EXPECT_TRUE(CellOnFace(shot, face, PixelsOfResource(IDB_MUTE_BUTTON), 37, 1, 94, 157, kGreenKey));
}

TEST_F(MainSkinTest, HeldTuneButtonShowsItsPushedCellAndRepeats) {
  Start(true);
  receiver.ClearLog();
  HWND up = GetDlgItem(hwnd, IDC_TUNE_UP);
  // The pointer rests on the button, or the captured button sees it elsewhere and lets go.
  POINT onButton{20, 10};
  ClientToScreen(up, &onButton);
  SetCursorPos(onButton.x, onButton.y);
  PumpMessages(50);
  SendMessageA(up, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
  // The press starts the hold and tunes nothing yet.
  EXPECT_TRUE(receiver.LogPrefixes(1).empty());
  const Pixels shot = Shot();
  EXPECT_TRUE(CellOnFace(shot, face, PixelsOfResource(IDB_TUNE_BUTTONS), 46, 3, 371, 157));
  UINT delay = 0;
  SystemParametersInfoA(SPI_GETKEYBOARDDELAY, 0, &delay, 0);
  PumpMessages((delay + 1) * 250 + 400);
  SendMessageA(up, WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
  ::KillTimer(hwnd, kTimerSignal);
  // At least one repeat while held, and the release: each tuned where the register now is.
  const auto tunes = receiver.LogPrefixes(3);
  ASSERT_GE(tunes.size(), 2u);
  for (const auto& report : tunes) EXPECT_EQ(report[0], 0x02);
  EXPECT_EQ(tunes.back()[1] << 8 | tunes.back()[2], app->Radio().Frequency(BandFM));
  EXPECT_GT(app->Radio().Frequency(BandFM), 8760);
  EXPECT_FALSE(dlg->Skin().Button(IDC_TUNE_UP)->IsPushed());
}

TEST_F(MainSkinTest, ShapeIsTheFaceWithoutItsPureBluePixels) {
  Start(true);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  ASSERT_EQ(GetWindowRgn(hwnd, region), COMPLEXREGION);
  int mismatches = 0, holes = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const bool hole = x >= face.width || face.At(x, y) == kBlueKey;
      holes += hole;
      mismatches += (PtInRegion(region, x, y) != 0) == hole;
    }
  DeleteObject(region);
  EXPECT_EQ(mismatches, 0);
  EXPECT_GT(holes, kHeight);  // more than the last column alone
  // The client area starts at the window's corner, so picture and shape line up.
  RECT window;
  GetWindowRect(hwnd, &window);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  EXPECT_EQ(origin.x, window.left);
  EXPECT_EQ(origin.y, window.top);
  EXPECT_EQ(GetWindowLongA(hwnd, GWL_STYLE) & WS_CLIPCHILDREN, 0);
  // On the screen the holes show what lies behind, never the key colour.
  const Pixels shot = Shot();
  int keyOnScreen = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < face.width; ++x) keyOnScreen += shot.At(x, y) == kBlueKey;
  EXPECT_EQ(keyOnScreen, 0);
}

}  // namespace
