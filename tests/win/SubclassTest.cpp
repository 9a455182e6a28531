// Window subclasses of the skinned controls: several on one window, taken off in any order, with
// the common controls' own subclass standing in front of them, and a window that goes first.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "controls/win32/Subclass.h"

namespace {

class SubclassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    original = GetWindowLongPtrW(window, GWLP_WNDPROC);
  }
  void TearDown() override {
    if (IsWindow(window)) DestroyWindow(window);
  }
  // Each handler notes its letter and passes the message on.
  WindowSubclass::Handler Noting(WindowSubclass& subclass, char letter) {
    return [this, &subclass, letter](UINT msg, WPARAM w, LPARAM l) {
      if (msg == WM_USER) seen += letter;
      return subclass.CallNext(msg, w, l);
    };
  }
  std::string Deliver() {
    seen.clear();
    SendMessageW(window, WM_USER, 0, 0);
    return seen;
  }

  HWND window = nullptr;
  LONG_PTR original = 0;
  std::string seen;
};

LRESULT CALLBACK CommonControlsSubclass(HWND hwnd, UINT msg, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR seen) {
  if (msg == WM_USER) *reinterpret_cast<std::string*>(seen) += 'c';
  return DefSubclassProc(hwnd, msg, w, l);
}

TEST_F(SubclassTest, NewestHandlerFirstAndTheWindowsOwnProcedureRestoredAfterTheLast) {
  WindowSubclass a, b;
  ASSERT_TRUE(a.Attach(window, Noting(a, 'a')));
  ASSERT_TRUE(b.Attach(window, Noting(b, 'b')));
  EXPECT_FALSE(a.Attach(window, Noting(a, 'a')));
  EXPECT_EQ(Deliver(), "ba");
  a.Detach();  // the older one leaves first
  EXPECT_EQ(Deliver(), "b");
  b.Detach();
  EXPECT_EQ(Deliver(), "");
  EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), original);
  // A text message still reaches the static control itself.
  SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("kept"));
  char text[16] = {};
  GetWindowTextA(window, text, sizeof text);
  EXPECT_STREQ(text, "kept");
}

TEST_F(SubclassTest, LeavingUnderAnotherSubclassKeepsTheChainWhole) {
  WindowSubclass a;
  ASSERT_TRUE(a.Attach(window, Noting(a, 'a')));
  ASSERT_TRUE(SetWindowSubclass(window, CommonControlsSubclass, 1, reinterpret_cast<DWORD_PTR>(&seen)));
  EXPECT_EQ(Deliver(), "ca");
  a.Detach();
  EXPECT_EQ(Deliver(), "c");
  EXPECT_EQ(a.Hwnd(), nullptr);
  // One attached again joins the handlers behind the foreign subclass.
  WindowSubclass b;
  ASSERT_TRUE(b.Attach(window, Noting(b, 'b')));
  EXPECT_EQ(Deliver(), "cb");
  RemoveWindowSubclass(window, CommonControlsSubclass, 1);
}

TEST_F(SubclassTest, DestroyedWindowLeavesItsOwnersWithNothingToUndo) {
  auto a = std::make_unique<WindowSubclass>();
  WindowSubclass b;
  ASSERT_TRUE(a->Attach(window, Noting(*a, 'a')));
  ASSERT_TRUE(b.Attach(window, Noting(b, 'b')));
  DestroyWindow(window);
  EXPECT_EQ(a->Hwnd(), nullptr);
  EXPECT_EQ(b.Hwnd(), nullptr);
  a.reset();
  // A new window that happens to get the same handle starts clean.
  window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(b.Attach(window, Noting(b, 'b')));
  EXPECT_EQ(Deliver(), "b");
}

}  // namespace
