// Dialog controls skinned by the controls library, driven with real messages under Wine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/ButtonLook.h"
#include "settings/win32/AboutDialog.h"
#include "controls/win32/ButtonHelp.h"
#include "controls/win32/MyEdit.h"
#include "controls/win32/MySlider.h"
#include "resources/skin_ids.h"
#include "tests/win/PixelGrab.h"

namespace {

std::vector<std::pair<WPARAM, LPARAM>> g_hscrolls;

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_HSCROLL) g_hscrolls.push_back({wParam, lParam});
  LRESULT reflected = 0;
  if (msg == WM_NOTIFY && ReflectNotification(hwnd, msg, wParam, lParam, reflected)) return reflected;
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

struct Host {
  HWND hwnd;
  Host() {
    static const ATOM atom = [] {
      WNDCLASSA wc{};
      wc.lpfnWndProc = HostProc;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
      wc.lpszClassName = "KestruneTestHost";
      return RegisterClassA(&wc);
    }();
    static_cast<void>(atom);
    hwnd = CreateWindowExA(WS_EX_TOPMOST, "KestruneTestHost", "host", WS_POPUP | WS_VISIBLE, 40, 40, 420, 260, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(hwnd);
  }
  ~Host() { DestroyWindow(hwnd); }
  HWND Child(const char* cls, const char* text, DWORD style, int id, int x, int y, int w, int h) const {
    return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, hwnd,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  }
};

Pixels Grab(HWND child) {
  RedrawWindow(child, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  PumpMessages(60);
  RECT rc;
  GetWindowRect(child, &rc);
  return PixelsOfScreen(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
}

int Count(const Pixels& p, DWORD rgb) {
  int n = 0;
  for (DWORD v : p.data) n += (v & 0xFFFFFF) == rgb;
  return n;
}

constexpr DWORD kFace = 0xDEDEDE, kHoverFace = 0x2BC8D5, kFrame = 0xFE803E, kBlueText = 0x0000FF, kRed = 0xFF0000;

}  // namespace

TEST(ButtonHelp, SkinsPushButtonsOnlyAndOnce) {
  Host host;
  HWND push = host.Child("Button", "Apply", BS_PUSHBUTTON, 1, 10, 10, 90, 26);
  HWND def = host.Child("BUTTON", "OK", BS_DEFPUSHBUTTON, 2, 110, 10, 90, 26);
  HWND check = host.Child("Button", "Check", BS_AUTOCHECKBOX, 3, 10, 50, 90, 20);
  HWND radio = host.Child("Button", "Radio", BS_AUTORADIOBUTTON, 4, 110, 50, 90, 20);
  HWND group = host.Child("Button", "Group", BS_GROUPBOX, 5, 10, 80, 200, 60);
  CButtonHelp help;
  help.SkinChildren(host.hwnd);
  EXPECT_EQ(help.Count(), 2u);
  EXPECT_EQ(GetWindowLongPtrA(push, GWL_STYLE) & 0xF, BS_OWNERDRAW);
  EXPECT_EQ(GetWindowLongPtrA(check, GWL_STYLE) & 0xF, BS_AUTOCHECKBOX);
  EXPECT_EQ(GetWindowLongPtrA(radio, GWL_STYLE) & 0xF, BS_AUTORADIOBUTTON);
  EXPECT_EQ(GetWindowLongPtrA(group, GWL_STYLE) & 0xF, BS_GROUPBOX);
  EXPECT_TRUE(help.Find(def)->IsDefaultButton());
  EXPECT_FALSE(help.Find(push)->IsDefaultButton());
  EXPECT_FALSE(help.Offer(push));  // never twice
  help.SkinChildren(host.hwnd);
  EXPECT_EQ(help.Count(), 2u);

  // Flat look: face colour, frame colour at the edge, blue caption.
  Pixels p = Grab(push);
  EXPECT_EQ(p.At(p.width / 2, 3), kFace);
  EXPECT_EQ(p.At(0, p.height / 2), kFrame);
  EXPECT_GT(Count(p, kBlueText), 10);
  // The check box is still drawn by the system: none of the skin's colours.
  EXPECT_EQ(Count(Grab(check), kFrame), 0);

  // Hover by capture, and back.
  SendMessageA(push, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(help.Find(push)->IsHover());
  EXPECT_EQ(GetCapture(), push);
  EXPECT_EQ(Grab(push).At(p.width / 2, 3), kHoverFace);
  SendMessageA(push, WM_MOUSEMOVE, 0, MAKELPARAM(500, 5));
  EXPECT_FALSE(help.Find(push)->IsHover());
  EXPECT_NE(GetCapture(), push);

  // Disabled: grey caption on the normal face, whatever the hover.
  EnableWindow(push, FALSE);
  p = Grab(push);
  EXPECT_EQ(p.At(p.width / 2, 3), kFace);
  EXPECT_EQ(Count(p, kBlueText), 0);
  const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
  EXPECT_GT(Count(p, (GetRValue(grey) << 16) | (GetGValue(grey) << 8) | GetBValue(grey)), 5);

  // Selection marks one and two pixels inside.
  EnableWindow(push, TRUE);
  help.Find(push)->SetSelected(true);
  p = Grab(push);
  EXPECT_EQ(p.At(p.width / 2, 1), kRed);
  EXPECT_EQ(p.At(p.width / 2, 2), kRed);
  EXPECT_EQ(p.At(p.width / 2, 0), kFrame);
}

TEST(MySlider, ClickJumpsThereAndTellsTheParent) {
  Host host;
  HWND bar = host.Child(TRACKBAR_CLASSA, "", TBS_HORZ, 1033, 20, 20, 240, 28);
  CMySlider slider;
  ASSERT_TRUE(slider.Attach(bar));
  SendMessageA(bar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
  SendMessageA(bar, TBM_SETPOS, TRUE, 0);
  RECT channel{};
  SendMessageA(bar, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  const int middle = (channel.left + channel.right) / 2;
  g_hscrolls.clear();
  SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(middle, 14));
  SendMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(middle, 14));
  const int pos = static_cast<int>(SendMessageA(bar, TBM_GETPOS, 0, 0));
  EXPECT_EQ(pos, controls::SliderClickPosition(0, 100, middle, channel.left, channel.right, 0));
  EXPECT_NEAR(pos, 50, 1);
  bool toldParent = false;
  for (auto [w, l] : g_hscrolls) toldParent |= (w == 6 && l == reinterpret_cast<LPARAM>(bar));
  EXPECT_TRUE(toldParent);

  // A click on the thumb is an ordinary drag start: no jump, no code 6.
  SendMessageA(bar, TBM_SETPOS, TRUE, 20);
  RECT thumb{};
  SendMessageA(bar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  g_hscrolls.clear();
  const LPARAM at = MAKELPARAM((thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2);
  SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(bar, WM_LBUTTONUP, 0, at);
  EXPECT_EQ(SendMessageA(bar, TBM_GETPOS, 0, 0), 20);
  for (auto [w, l] : g_hscrolls) EXPECT_NE(w, 6u);

  // The channel picture is what the control shows.
  const Pixels screen = Grab(bar);
  const Pixels picture = PixelsOfResource(IDB_VOLUME_CHANNEL);
  SendMessageA(bar, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  SendMessageA(bar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  const int x = thumb.right + 10 - channel.left;  // right of the thumb
  EXPECT_EQ(screen.At(channel.left + x, 8 + 8), picture.At(x, 8));
}

// Windows' trackbar reports its focus in custom draw (Wine's never does): the report is made
// here as Windows makes it, reflected from the parent like the real one.
void DrawWithFocus(HWND host, HWND bar) {
  NMCUSTOMDRAW draw{};
  draw.hdr.hwndFrom = bar;
  draw.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(bar));
  draw.hdr.code = static_cast<UINT>(NM_CUSTOMDRAW);
  draw.dwDrawStage = CDDS_PREPAINT;
  draw.uItemState = CDIS_FOCUS;
  SendMessageA(host, WM_NOTIFY, draw.hdr.idFrom, reinterpret_cast<LPARAM>(&draw));
}

TEST(MySlider, TheKeyboardsFocusStaysAndAClicksGoesBack) {
  Host host;
  HWND bar = host.Child(TRACKBAR_CLASSA, "", TBS_HORZ | WS_TABSTOP, 1033, 20, 20, 240, 28);
  CMySlider slider;
  ASSERT_TRUE(slider.Attach(bar));
  SendMessageA(bar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
  // Reached by Tab: the focus stays for the arrow keys and a reader.
  SetFocus(bar);
  DrawWithFocus(host.hwnd, bar);
  EXPECT_EQ(GetFocus(), bar);
  SendMessageA(bar, WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_EQ(SendMessageA(bar, TBM_GETPOS, 0, 0), 1);
  // Clicked: the trackbar takes the focus, and its first focused drawing hands it back.
  SetFocus(host.hwnd);
  const LPARAM at = MAKELPARAM(200, 14);
  SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(bar, WM_LBUTTONUP, 0, at);
  EXPECT_EQ(GetFocus(), bar);  // the trackbar's own click took it
  DrawWithFocus(host.hwnd, bar);
  EXPECT_EQ(GetFocus(), host.hwnd);
  // Tabbed to again later: kept.
  SetFocus(bar);
  DrawWithFocus(host.hwnd, bar);
  EXPECT_EQ(GetFocus(), bar);
}

TEST(ButtonHelp, TheChosenButtonsOwnWindowSaysSoAndRaisesItsChange) {
  Host host;
  HWND reserve = host.Child("Button", "Wine News", BS_PUSHBUTTON, 1087, 10, 10, 120, 26);
  CButtonHelp help;
  help.SkinChildren(host.hwnd);
  ASSERT_NE(help.Find(reserve), nullptr);
  EXPECT_EQ(SendMessageA(reserve, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  static std::vector<std::pair<HWND, LONG>> changes;
  changes.clear();
  HWINEVENTHOOK hook = SetWinEventHook(
      EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_STATECHANGE, nullptr,
      [](HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
        if (object == OBJID_CLIENT) changes.emplace_back(window, child);
      },
      GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  help.Find(reserve)->SetSelected(true);
  help.Find(reserve)->SetSelected(true);  // no change, nothing raised
  PumpMessages(50);
  // Windows' button object reads these for "pressed"; Wine's reads neither, so they are asked here.
  EXPECT_EQ(SendMessageA(reserve, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(SendMessageA(reserve, BM_GETSTATE, 0, 0) & BST_PUSHED);
  help.Find(reserve)->SetSelected(false);
  PumpMessages(50);
  EXPECT_EQ(SendMessageA(reserve, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_FALSE(SendMessageA(reserve, BM_GETSTATE, 0, 0) & BST_PUSHED);
  UnhookWinEvent(hook);
  EXPECT_EQ(changes, (std::vector<std::pair<HWND, LONG>>{{reserve, CHILDID_SELF}, {reserve, CHILDID_SELF}}));
}

TEST(MyEdit, NumericFieldFiltersTypedKeys) {
  Host host;
  HWND edit = host.Child("Edit", "", ES_AUTOHSCROLL, 1, 10, 10, 120, 22);
  CMyEdit filter;
  ASSERT_TRUE(filter.Attach(edit));
  for (char k : std::string("8a7..5-")) SendMessageA(edit, WM_CHAR, static_cast<WPARAM>(k), 0);
  char text[32] = {};
  GetWindowTextA(edit, text, sizeof text);
  EXPECT_STREQ(text, "87.5");
  SendMessageA(edit, WM_CHAR, '\b', 0);
  GetWindowTextA(edit, text, sizeof text);
  EXPECT_STREQ(text, "87.");
}

TEST(MyEdit, NameFieldStopsAtTwentyAndRefusesPaste) {
  Host host;
  HWND name = host.Child("Edit", "", ES_AUTOHSCROLL, 1, 10, 10, 200, 22);
  CMyEditA filter;
  ASSERT_TRUE(filter.Attach(name));
  for (int i = 0; i < 21; ++i) SendMessageA(name, WM_CHAR, static_cast<WPARAM>('a' + i), 0);
  char text[64] = {};
  GetWindowTextA(name, text, sizeof text);
  EXPECT_STREQ(text, "abcdefghijklmnopqrst");
  SendMessageA(name, WM_CHAR, '\b', 0);
  EXPECT_EQ(GetWindowTextLengthA(name), 19);

  HWND plain = host.Child("Edit", "", ES_AUTOHSCROLL, 2, 10, 40, 200, 22);
  ASSERT_TRUE(OpenClipboard(host.hwnd));
  EmptyClipboard();
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, 6);
  memcpy(GlobalLock(mem), "PASTE", 6);
  GlobalUnlock(mem);
  SetClipboardData(CF_TEXT, mem);
  CloseClipboard();
  SendMessageA(plain, WM_PASTE, 0, 0);
  EXPECT_EQ(GetWindowTextLengthA(plain), 5);  // the clipboard works here
  SendMessageA(name, WM_PASTE, 0, 0);
  EXPECT_EQ(GetWindowTextLengthA(name), 19);
}

namespace {
UINT g_aboutAction = 0;
std::string g_aboutTexts;
void CALLBACK AboutDriver(HWND, UINT, UINT_PTR id, DWORD) {
  HWND box = FindWindowA("#32770", "About");
  if (box == nullptr) return;
  KillTimer(nullptr, id);
  char buf[128];
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    GetWindowTextA(c, buf, sizeof buf);
    g_aboutTexts += std::string(buf) + "|";
  }
  if (g_aboutAction == 1138) {
    HWND link = GetDlgItem(box, IDC_ABOUT_LINK);
    RECT rc;
    GetClientRect(link, &rc);
    PostMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    PostMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  } else {
    PostMessageA(box, WM_KEYDOWN, g_aboutAction, 0);
  }
}
INT_PTR RunAbout(UINT action, std::string* opened) {
  g_aboutAction = action;
  g_aboutTexts.clear();
  SetTimer(nullptr, 0, 50, AboutDriver);
  CAbout about([opened](const std::string& url) { *opened = url; });
  return about.DoModal(nullptr);
}
}  // namespace

TEST(About, TextsAndTheThreeWaysOut) {
  std::string opened;
  EXPECT_EQ(RunAbout(VK_RETURN, &opened), 1);
  EXPECT_NE(g_aboutTexts.find("Kestrune Windows Software Version|3.1|Kestrune Hardware Version|2.01.02|"
                              "Latest version software|"),
            std::string::npos)
      << g_aboutTexts;
  EXPECT_EQ(RunAbout(VK_ESCAPE, &opened), 2);
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(RunAbout(1138, &opened), 0);
  EXPECT_EQ(opened.rfind("https://", 0), 0u) << opened;
}
