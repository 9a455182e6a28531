// The real main window in its skin, against the simulated receiver: what the screen of the test
// rig shows after start, tuning, the signal reading, band and stereo changes, and the window's
// shape. Leaves screenshots of the tuned window behind as artifacts.
#include <windows.h>
#include <commctrl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/ButtonSkinTable.h"
#include "app/win32/MainDlg.h"
#include "resources/resource.h"
#include "resources/skin_ids.h"
#include "settings/MemoryKeyValueTree.h"
#include "tests/support/ManualClock.h"
#include "tests/support/PngWriter.h"
#include "tests/support/SimulatedReceiver.h"
#include "tests/support/StateProbes.h"
#include "tests/win/MainWindowTestKit.h"
#include "tests/win/PixelGrab.h"

namespace {

// Seconds as the main window counts a recording's time.
int64_t CalendarNow() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return static_cast<int64_t>(((static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime) / 10000000u) -
         11644473600;
}

// Said by every check whose pixels come from a font: letters, and the controls that template 129
// sizes in dialog units of its "MS Shell Dlg" font.
constexpr const char* kFontDependent =
    " -- depends on the fonts the window is drawn with (Wine's Tahoma and MS Sans Serif from "
    "fonts-wine, Liberation from fonts-liberation; scripts/setup.sh installs both)";

constexpr DWORD kBlueKey = 0x0000FF;   // 0xFF0000 COLORREF as 0x00RRGGBB
constexpr DWORD kGreenKey = 0x00FF00;
constexpr int kWidth = 535, kHeight = 252;

// A picture cell drawn on the face: its opaque pixels as they are, its see-through ones showing
// the face picture. Columns [first, first + columns) are compared, so that neighbours drawn over
// the cell can be left out.
::testing::AssertionResult CellOnFace(const Pixels& shot, const Pixels& face, const Pixels& strip, int cellWidth,
                                      int cell, int x, int y, DWORD key = kBlueKey, int columns = 0, int first = 0) {
  int opaque = 0;
  for (int j = 0; j < strip.height; ++j)
    for (int i = first; i < first + (columns ? columns : cellWidth); ++i) {
      const DWORD src = strip.At(cell * cellWidth + i, j);
      const DWORD want = src == key ? face.At(x + i, y + j) : src;
      opaque += src != key;
      if (shot.At(x + i, y + j) != want)
        return ::testing::AssertionFailure() << "cell " << cell << " at " << x << "," << y << ": +" << i << ",+" << j
                                             << " is " << std::hex << shot.At(x + i, y + j) << ", not " << want;
    }
  if (opaque == 0) return ::testing::AssertionFailure() << "cell " << cell << " has no opaque pixel";
  return ::testing::AssertionSuccess();
}

// The face picture alone in a rectangle: nothing drawn over it.
::testing::AssertionResult BareFace(const Pixels& shot, const Pixels& face, int x, int y, int w, int h) {
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i)
      if (shot.At(x + i, y + j) != face.At(x + i, y + j))
        return ::testing::AssertionFailure() << "drawn over at " << x + i << "," << y + j;
  return ::testing::AssertionSuccess();
}

int WhitePixels(const Pixels& shot, int x, int y, int w, int h) {
  int n = 0;
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) n += shot.At(x + i, y + j) == 0xFFFFFF;
  return n;
}

std::filesystem::path ArtifactDir() {
  const std::filesystem::path dir = std::filesystem::path(KESTRUNE_BINARY_DIR) / "artifacts";
  std::filesystem::create_directories(dir);
  return dir;
}

// A recorded file loaded, as far as the readout asks.
struct PlayingFile final : IPlaybackControl {
  bool IsPlaying() const override { return true; }
  void EndForClose() override {}
  void StopPlayback() override {}
  void RunGraph() override {}
  void StopGraph() override {}
  void SetGraphVolume(long) override {}
  void OnPlayButton() override {}
  void OnPlaybackTimer() override {}
};

class MainSkinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ReadyMainWindowRig(platform, receiver, 0);
    receiver.SetStations({{BandFM, 8750, 45}});
    for (auto [name, value] : {std::pair{"COUNTRY", "1"}, {"FM", "1"}, {"FREQ", "8750"}, {"FREQ_AM", "999"},
                               {"STEREO", "1"}, {"VOLUME", "60"}, {"RECORDFOLDER", "C:\\KestruneSkinRec"}})
      PlantGeneral(tree, name, value);
  }
  void TearDown() override {
    dlg.reset();
    DrainQuit();
    RemoveDirectoryA("C:\\KestruneSkinRec");
  }

  // Creates and shows the window; with `bringUp` the receiver is brought up as timer 2 would,
  // and the signal timer is held back so that the test decides when the signal is read.
  void Start(bool bringUp) {
    dlg = std::make_unique<CMainDlg>(GetModuleHandleA(nullptr), platform, tree, clock);
    hwnd = dlg->Create(GetModuleHandleA(nullptr), CMainDlg::kTemplateId, nullptr);
    ASSERT_NE(hwnd, nullptr);
    face = PixelsOfResource(IDB_FACE);
    ASSERT_EQ(face.width, 534);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (bringUp) {
      Timer(kTimerDeferredStart);
      ASSERT_TRUE(dlg->Device().IsOpen());
      ::KillTimer(hwnd, kTimerSignal);
    }
  }
  void Command(int id, int code = 0) { SendCommand(hwnd, id, code); }
  void Timer(unsigned id) { SendMessageA(hwnd, WM_TIMER, id, 0); }
  // A click as the mouse makes it, on the button itself.
  void Click(int id) {
    HWND button = GetDlgItem(hwnd, id);
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
  }
  // The client area as the screen shows it, after only the painting the window asked for.
  Pixels Shot() {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpMessages(60);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    return PixelsOfScreen(origin.x, origin.y, kWidth, kHeight);
  }
  void SaveShot(const Pixels& shot, const std::string& name, bool mainWindow = true) {
    // The window's holes become see-through, so the picture sits on any page.
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const bool shaped = mainWindow && GetWindowRgn(hwnd, region) != ERROR;
    std::vector<std::uint8_t> rgba;
    for (int y = 0; y < shot.height; ++y)
      for (int x = 0; x < shot.width; ++x) {
        const DWORD v = shot.At(x, y);
        const bool inside = !shaped || PtInRegion(region, x, y);
        rgba.insert(rgba.end(), {std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v), std::uint8_t(inside ? 255 : 0)});
      }
    DeleteObject(region);
    EXPECT_TRUE(WritePngRgba((ArtifactDir() / name).string(), shot.width, shot.height, rgba));
  }

  ManualClock clock;
  SimulatedReceiver receiver{clock};
  SimulatedHidPlatform platform{receiver};
  MemoryKeyValueTree tree;
  MessageLoop loop;
  std::unique_ptr<CMainDlg> dlg;
  HWND hwnd = nullptr;
  Pixels face;
};

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
  EXPECT_EQ(dlg->Window().Radio().Signal(), 4);
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
  EXPECT_EQ(dlg->Window().Radio().Frequency(BandFM), 10800);
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
  EXPECT_EQ(dlg->Window().Radio().Stereo(), 0);
  shot = Shot();
  EXPECT_TRUE(CellOnFace(shot, face, PixelsOfResource(IDB_STEREO_INDICATOR), 43, 0, 40, 86));
  const Pixels stereoStrip = PixelsOfResource(IDB_STEREO_BUTTON);
  EXPECT_TRUE(CellOnFace(shot, face, stereoStrip, 48, 0, 475, 157));
  EXPECT_EQ(dlg->Skin().Button(IDC_STEREO)->PushedImage(), 2);
  EXPECT_EQ(dlg->Skin().Tip(IDC_STEREO), "Mono");

  // One mouse click on Mute mutes once and shows the crossed-out speaker.
  Click(IDC_MUTE);
  EXPECT_EQ(dlg->Window().Radio().Muted(), 1);
  shot = Shot();
  EXPECT_TRUE(CellOnFace(shot, face, PixelsOfResource(IDB_MUTE_BUTTON), 37, 0, 94, 157, kGreenKey));
  Click(IDC_MUTE);
  EXPECT_EQ(dlg->Window().Radio().Muted(), 0);
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
  EXPECT_EQ(tunes.back()[1] << 8 | tunes.back()[2], dlg->Window().Radio().Frequency(BandFM));
  EXPECT_GT(dlg->Window().Radio().Frequency(BandFM), 8760);
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

TEST_F(MainSkinTest, WithoutReceiverTheReadoutIsBareAndPlaybackShowsMp3) {
  platform.slots.clear();
  Start(false);
  Timer(kTimerDeferredStart);
  ASSERT_FALSE(dlg->Device().IsOpen());
  Pixels shot = Shot();
  EXPECT_TRUE(BareFace(shot, face, 33, 74, 498 - 33, 140 - 74));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(hwnd, IDC_TEXT_FILE)));

  // Playback: the letters M, P, 3 and the file text, nothing else.
  static PlayingFile playing;
  dlg->Window().SetParts({.playback = &playing});
  dlg->SetStaticText(IDC_TEXT_FILE, "FM8750_20240101_120000.mp3");
  InvalidateRect(hwnd, nullptr, TRUE);
  shot = Shot();
  const Pixels glyphs = PixelsOfResource(IDB_READOUT_GLYPHS);
  EXPECT_TRUE(CellOnFace(shot, face, glyphs, 21, 22, 243, 75));
  EXPECT_TRUE(CellOnFace(shot, face, glyphs, 21, 25, 264, 75));
  EXPECT_TRUE(CellOnFace(shot, face, glyphs, 21, 3, 285, 75));
  EXPECT_TRUE(BareFace(shot, face, 40, 76, 243 - 40, 20));
  RECT file;
  GetWindowRect(GetDlgItem(hwnd, IDC_TEXT_FILE), &file);
  MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&file), 2);
  int lilac = 0;  // 0xF5BCC4 as 0x00RRGGBB
  for (int y = file.top; y < file.bottom; ++y)
    for (int x = file.left; x < file.right; ++x) lilac += shot.At(x, y) == 0xC4BCF5;
  EXPECT_GT(lilac, 20) << kFontDependent;
  char text[64] = {};
  GetDlgItemTextA(hwnd, IDC_TEXT_FILE, text, sizeof text);
  EXPECT_STREQ(text, "FM8750_20240101_120000.mp3");

  // A shorter text leaves no letters of the longer one behind.
  dlg->SetStaticText(IDC_TEXT_FILE, "x");
  shot = Shot();
  EXPECT_TRUE(BareFace(shot, face, file.left + 20, file.top, file.right - file.left - 20, file.bottom - file.top));
}

TEST_F(MainSkinTest, RecordingClockBlinksButtonAndTray) {
  Start(true);
  std::vector<int> trayPictures;
  dlg->Hooks().setTrayPicture = [&](int icon) { trayPictures.push_back(icon); };
  // The window's clock reads the real time: a second may pass before it does.
  auto tickAfter = [&](int64_t seconds) {
    RecordingControllerProbe::SetRecordStart(dlg->Window().Recording(), CalendarNow() - seconds);
    dlg->Window().Recording().RecordingDisplayTick();
  };
  RecordingControllerProbe::SetRecordLabel(dlg->Window().Recording(), "REC 15Min");
  tickAfter(187);
  char clock[64] = {};
  GetDlgItemTextA(hwnd, IDC_TEXT_TIME, clock, sizeof clock);
  EXPECT_THAT(clock, ::testing::AnyOf(::testing::StrEq("REC 15Min   00:03:07"), ::testing::StrEq("REC 15Min   00:03:08")));
  EXPECT_EQ(dlg->Skin().Button(IDC_RECORD)->NormalImage(), 3);
  Pixels shot = Shot();
  EXPECT_TRUE(CellOnFace(shot, face, PixelsOfResource(IDB_TRANSPORT_BUTTONS), 54, 3, 196, 199));
  // Red text on the skin: the clock's letters are drawn in pure red.
  RECT time;
  GetWindowRect(GetDlgItem(hwnd, IDC_TEXT_TIME), &time);
  MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&time), 2);
  int red = 0;
  for (int y = time.top; y < time.bottom; ++y)
    for (int x = time.left; x < time.right; ++x) red += shot.At(x, y) == 0xFF0000;
  EXPECT_GT(red, 20) << kFontDependent;

  RecordingControllerProbe::SetRecordLabel(dlg->Window().Recording(), "");
  tickAfter(3 * 3600 + 4 * 60 + 5);
  GetDlgItemTextA(hwnd, IDC_TEXT_TIME, clock, sizeof clock);
  EXPECT_THAT(clock, ::testing::AnyOf(::testing::StrEq("REC    03:04:05"), ::testing::StrEq("REC    03:04:06")));
  EXPECT_EQ(dlg->Skin().Button(IDC_RECORD)->NormalImage(), 2);
  EXPECT_EQ(trayPictures, (std::vector<int>{IDI_RECORDING, IDI_KESTRUNE}));
}

TEST_F(MainSkinTest, RecordingTextsSitOnTheGlassBesideTheFileText) {
  Start(true);
  RecordingControllerProbe::SetRecording(dlg->Window().Recording(), true);
  RecordingControllerProbe::SetRecordStart(dlg->Window().Recording(), CalendarNow() - 187);
  dlg->Window().Recording().RecordingDisplayTick();
  dlg->SetStaticText(IDC_TEXT_RATE, "128 Kbps");
  dlg->SetStaticText(IDC_TEXT_FILE, "C:\\RadioREC\\Morning & Evening\\FM8750_20240101_120000.mp3");
  ShowWindow(GetDlgItem(hwnd, IDC_TEXT_FILE), SW_SHOW);
  InvalidateRect(hwnd, nullptr, TRUE);
  const Pixels shot = Shot();
  SaveShot(shot, "main-window-recording.png");

  // Every text inside the display glass, none over another or over the digits.
  auto placeOf = [&](int id) {
    RECT rc;
    GetWindowRect(GetDlgItem(hwnd, id), &rc);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
  };
  const RECT glass{30, 69, 503, 147}, digits{173, 74, 293, 104};
  std::vector<RECT> places;
  for (int id : {IDC_PRESET_NAME, IDC_TEXT_TIME, IDC_TEXT_RATE, IDC_TEXT_FILE, IDC_TEXT_LABEL}) {
    const RECT rc = placeOf(id);
    RECT common;
    EXPECT_TRUE(rc.left >= glass.left && rc.top >= glass.top && rc.right <= glass.right && rc.bottom <= glass.bottom) << id;
    EXPECT_FALSE(IntersectRect(&common, &rc, &digits)) << id;
    for (const RECT& other : places) EXPECT_FALSE(IntersectRect(&common, &rc, &other)) << id;
    places.push_back(rc);
  }
  // The title strip keeps its printing; the clock is red on the glass, the rate beside it.
  EXPECT_TRUE(BareFace(shot, face, 60, 5, 400, 22));
  auto inkOf = [&](int id, DWORD rgb) {
    const RECT rc = placeOf(id);
    int n = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
      for (int x = rc.left; x < rc.right; ++x) n += shot.At(x, y) == rgb;
    return n;
  };
  EXPECT_GT(inkOf(IDC_TEXT_TIME, 0xFF0000), 20) << kFontDependent;
  EXPECT_GT(inkOf(IDC_TEXT_RATE, 0xFF0000), 10) << kFontDependent;
  const int pathInk = inkOf(IDC_TEXT_FILE, 0xC4BCF5);
  EXPECT_GT(pathInk, 20) << kFontDependent;

  // '&' in a text is a letter, not a mnemonic mark.
  dlg->SetStaticText(IDC_TEXT_FILE, "&");
  EXPECT_GT(inkOf(IDC_TEXT_FILE, 0xC4BCF5), 0) << kFontDependent;
  Pixels lone = Shot();
  int ampersand = 0;
  const RECT file = placeOf(IDC_TEXT_FILE);
  for (int y = file.top; y < file.bottom; ++y)
    for (int x = file.left; x < file.right; ++x) ampersand += lone.At(x, y) == 0xC4BCF5;
  EXPECT_GT(ampersand, 5) << kFontDependent;
}

// A stored preset name can be of any length: the paint that shows it sets it once and the window
// then rests, instead of invalidating itself from every paint.
TEST_F(MainSkinTest, LongPresetNameIsShownWholeAndPaintingComesToRest) {
  Start(true);
  for (size_t length : {511u, 512u, 600u, 5000u}) {
    SCOPED_TRACE(length);
    std::string name(length, 'n');
    name.back() = 'Z';
    dlg->Window().Radio().SetPreset(dlg->Window().Radio().Preset(), name);
    InvalidateRect(hwnd, nullptr, TRUE);
    int paints = 0;
    const DWORD end = GetTickCount() + 400;
    MSG msg;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
      if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        Sleep(5);
        continue;
      }
      paints += msg.message == WM_PAINT && msg.hwnd == hwnd;
      DispatchMessageA(&msg);
    }
    EXPECT_LE(paints, 2) << "the window keeps repainting itself";
    std::string shown(length + 16, '\0');
    shown.resize(GetDlgItemTextA(hwnd, IDC_PRESET_NAME, shown.data(), static_cast<int>(shown.size())));
    EXPECT_EQ(shown, name);
  }
}

namespace {
HWND g_aboutOwner = nullptr;
Pixels g_aboutShot;
int g_aboutTicksShown = 0;
void CALLBACK CloseAboutBox(HWND, UINT, UINT_PTR id, DWORD) {
  HWND box = FindWindowA("#32770", "About");
  // Shown once its loop first idles; then give the screen a moment to map it.
  if (box == nullptr || !IsWindowVisible(box) || ++g_aboutTicksShown < 5) return;
  KillTimer(nullptr, id);
  g_aboutOwner = GetWindow(box, GW_OWNER);
  RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT rc;
  GetClientRect(box, &rc);
  POINT origin{0, 0};
  ClientToScreen(box, &origin);
  g_aboutShot = PixelsOfScreen(origin.x, origin.y, rc.right, rc.bottom);
  PostMessageA(box, WM_KEYDOWN, VK_ESCAPE, 0);
}
}  // namespace

TEST_F(MainSkinTest, AboutButtonOpensTheBoxOverTheWindow) {
  Start(true);
  // Not topmost here, or the box (topmost only on Windows, as an owned window) hides under it.
  SetWindowPos(hwnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(hwnd);
  SetActiveWindow(hwnd);
  g_aboutOwner = nullptr;
  g_aboutShot = {};
  g_aboutTicksShown = 0;
  SetTimer(nullptr, 0, 50, CloseAboutBox);
  MainWindowProbe::ArmSave(dlg->Window());
  Click(IDC_ABOUT);
  EXPECT_EQ(dlg->Window().SaveArmed(), 0);
  EXPECT_EQ(g_aboutOwner, hwnd);
  ASSERT_GT(g_aboutShot.width, 0);
  // Light grey page, blue writing.
  int grey = 0, blue = 0;
  for (int y = 0; y < g_aboutShot.height; ++y)
    for (int x = 0; x < g_aboutShot.width; ++x) {
      grey += g_aboutShot.At(x, y) == 0xDBDBDB;
      blue += g_aboutShot.At(x, y) == 0x0000FF;
    }
  EXPECT_GT(grey, g_aboutShot.width * g_aboutShot.height / 2);
  EXPECT_GT(blue, 100);
  SaveShot(g_aboutShot, "about-box.png", false);
}

// The text of the tip this thread shows for `tool`, or "" while none is up.
std::string ShownTip(HWND tool) {
  struct Find {
    HWND tool;
    std::string text;
  } find{tool, {}};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM l) -> BOOL {
        auto* f = reinterpret_cast<Find*>(l);
        char cls[64] = {}, text[256] = {};
        GetClassNameA(w, cls, sizeof cls);
        if (lstrcmpiA(cls, TOOLTIPS_CLASSA) != 0 || !IsWindowVisible(w)) return TRUE;
        TOOLINFOA info{};
        info.cbSize = sizeof info;
        info.lpszText = text;
        if (SendMessageA(w, TTM_GETCURRENTTOOLA, 0, reinterpret_cast<LPARAM>(&info)) &&
            info.uId == reinterpret_cast<UINT_PTR>(f->tool))
          f->text = text;
        return f->text.empty();
      },
      reinterpret_cast<LPARAM>(&find));
  return find.text;
}

TEST_F(MainSkinTest, RestingMouseOverAButtonShowsItsTip) {
  Start(false);
  PumpMessages(100);  // the tips come once the window is painted
  SetForegroundWindow(hwnd);
  HWND button = GetDlgItem(hwnd, IDC_PRESET_DOWN);
  RECT rc;
  GetWindowRect(button, &rc);
  const POINT at{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
  SetCursorPos(at.x, at.y);
  // The mouse moves as the main loop sees it: through the window's message filter.
  POINT client = at;
  ScreenToClient(button, &client);
  MSG move{button, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y), GetTickCount(), at};
  dlg->PreTranslateMessage(&move);
  const DWORD end = GetTickCount() + 3000;
  while (ShownTip(button).empty() && GetTickCount() < end) PumpMessages(50);
  EXPECT_EQ(ShownTip(button), "Presets Dwon");
}

}  // namespace
