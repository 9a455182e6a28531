#pragma once
// The real main window in its skin, shown on the test rig's screen: the fixture that starts it
// against the simulated receiver, takes its screenshots and compares picture cells with them.

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

// Seconds as the main window counts a recording's time.
inline int64_t CalendarNow() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return static_cast<int64_t>(((static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime) / 10000000u) -
         11644473600;
}

// Said by every check whose pixels come from a font: letters, and the controls that template 129
// sizes in dialog units of its "MS Shell Dlg" font.
inline constexpr const char* kFontDependent =
    " -- depends on the fonts the window is drawn with (Wine's Tahoma and MS Sans Serif from "
    "fonts-wine, Liberation from fonts-liberation; scripts/setup.sh installs both)";

inline constexpr DWORD kBlueKey = 0x0000FF;   // 0xFF0000 COLORREF as 0x00RRGGBB
inline constexpr DWORD kGreenKey = 0x00FF00;
inline constexpr int kWidth = 535, kHeight = 252;

// A picture cell drawn on the face: its opaque pixels as they are, its see-through ones showing
// the face picture. Columns [first, first + columns) are compared, so that neighbours drawn over
// the cell can be left out.
inline ::testing::AssertionResult CellOnFace(const Pixels& shot, const Pixels& face, const Pixels& strip, int cellWidth,
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
inline ::testing::AssertionResult BareFace(const Pixels& shot, const Pixels& face, int x, int y, int w, int h) {
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i)
      if (shot.At(x + i, y + j) != face.At(x + i, y + j))
        return ::testing::AssertionFailure() << "drawn over at " << x + i << "," << y + j;
  return ::testing::AssertionSuccess();
}

inline int WhitePixels(const Pixels& shot, int x, int y, int w, int h) {
  int n = 0;
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) n += shot.At(x + i, y + j) == 0xFFFFFF;
  return n;
}

inline std::filesystem::path ArtifactDir() {
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
    app.reset();
    DrainQuit();
    RemoveDirectoryA("C:\\KestruneSkinRec");
  }

  // Creates and shows the window; with `bringUp` the receiver is brought up as timer 2 would,
  // and the signal timer is held back so that the test decides when the signal is read.
  void Start(bool bringUp) {
    AppAdapters adapters = TestAdapters(platform, tree, clock);
    adapters.playback = &playback;
    adapters.tray = &tray;
    app = std::make_unique<App>(std::move(adapters));
    dlg = &app->Dialog();
    hwnd = app->MakeWindow();
    ASSERT_NE(hwnd, nullptr);
    face = PixelsOfResource(IDB_FACE);
    ASSERT_EQ(face.width, 534);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (bringUp) {
      Timer(kTimerDeferredStart);
      ASSERT_TRUE(app->Device().IsOpen());
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
  PlaybackSlot playback;
  TrayStandIn tray;
  std::unique_ptr<App> app;
  CMainDlg* dlg = nullptr;
  HWND hwnd = nullptr;
  Pixels face;
};
