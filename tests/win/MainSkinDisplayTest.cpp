// The real main window in its skin showing more than the station: a file playing, a recording's
// clock and texts, a preset name of any length, the About box and the button tips.
#include "tests/win/MainSkinKit.h"

namespace {

TEST_F(MainSkinTest, WithoutReceiverTheReadoutIsBareAndPlaybackShowsMp3) {
  platform.slots.clear();
  Start(false);
  Timer(kTimerDeferredStart);
  ASSERT_FALSE(app->Device().IsOpen());
  Pixels shot = Shot();
  EXPECT_TRUE(BareFace(shot, face, 33, 74, 498 - 33, 140 - 74));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(hwnd, IDC_TEXT_FILE)));

  // Playback: the letters M, P, 3 and the file text, nothing else.
  static PlayingFile playing;
  playback.target = &playing;
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
  tray.onPicture = [&](int icon) { trayPictures.push_back(icon); };
  auto tickAfter = [&](int64_t seconds) {
    RecordingControllerProbe::SetStartMs(app->Recording(), clock.NowMs());
    clock.Advance(static_cast<uint64_t>(seconds) * 1000);
    app->Recording().RecordingDisplayTick();
  };
  RecordingControllerProbe::SetRecordLabel(app->Recording(), "REC 15Min");
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

  RecordingControllerProbe::SetRecordLabel(app->Recording(), "");
  tickAfter(3 * 3600 + 4 * 60 + 5);
  GetDlgItemTextA(hwnd, IDC_TEXT_TIME, clock, sizeof clock);
  EXPECT_THAT(clock, ::testing::AnyOf(::testing::StrEq("REC    03:04:05"), ::testing::StrEq("REC    03:04:06")));
  EXPECT_EQ(dlg->Skin().Button(IDC_RECORD)->NormalImage(), 2);
  EXPECT_EQ(trayPictures, (std::vector<int>{IDI_RECORDING, IDI_KESTRUNE}));
}

TEST_F(MainSkinTest, RecordingTextsSitOnTheGlassBesideTheFileText) {
  Start(true);
  RecordingControllerProbe::SetRecording(app->Recording(), true);
  RecordingControllerProbe::SetStartMs(app->Recording(), clock.NowMs());
  clock.Advance(187 * 1000);
  app->Recording().RecordingDisplayTick();
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
    app->Radio().SetPreset(app->Radio().Preset(), name);
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
  Click(IDC_SAVE_PRESET);
  ASSERT_EQ(dlg->Window().SaveArmed(), 1);
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
