// The thread's message loop: idle processing after each message except mouse moves, paints and
// the caret blink, message filters ahead of dispatch, WM_QUIT's code as the result.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "app/win32/WindowLayer.h"

namespace {

constexpr UINT kConsumed = WM_APP + 1;
constexpr UINT kDispatched = WM_APP + 2;
constexpr UINT_PTR kWakeTimer = 77;

std::vector<UINT> g_dispatched;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kConsumed || msg == kDispatched) g_dispatched.push_back(msg);
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// Plays a script from the idle handler: each idle call posts one message that must not re-arm
// idle processing; a timer then wakes the loop, and idle must be called exactly once more.
class Script final : public MessageFilter, public IdleHandler {
 public:
  explicit Script(HWND window) : window_(window) {}

  BOOL OnIdle() override {
    ++idleCalls;
    if (step_ < kQuiet.size()) {
      PostMessageA(window_, kQuiet[step_++], 0, 0);
    } else {
      PostMessageA(window_, kConsumed, 0, 0);
      PostMessageA(window_, kDispatched, 0, 0);
      PostQuitMessage(7);
    }
    return FALSE;
  }

  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->hwnd != window_) return FALSE;
    for (UINT quiet : kQuiet)
      if (msg->message == quiet) {
        idleCallsAtQuiet.push_back(idleCalls);
        SetTimer(window_, kWakeTimer, 30, nullptr);
        return TRUE;  // not for the static's own procedure
      }
    if (msg->message == WM_TIMER && msg->wParam == kWakeTimer) {
      KillTimer(window_, kWakeTimer);
      idleCallsAtWake.push_back(idleCalls);
      return TRUE;
    }
    return msg->message == kConsumed;
  }

  int idleCalls = 0;
  std::vector<int> idleCallsAtQuiet, idleCallsAtWake;

 private:
  static constexpr std::array<UINT, 4> kQuiet{WM_MOUSEMOVE, WM_NCMOUSEMOVE, WM_PAINT, 0x0118};
  HWND window_;
  size_t step_ = 0;
};

TEST(MessageLoop, IdleAfterEveryMessageButMouseMovesPaintsAndCaretBlinks) {
  WNDCLASSA cls{};
  cls.lpfnWndProc = &RecordingProc;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.lpszClassName = "KestruneLoopTest";
  RegisterClassA(&cls);
  HWND window = CreateWindowExA(0, cls.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                cls.hInstance, nullptr);
  ASSERT_TRUE(window);
  g_dispatched.clear();

  MessageLoop loop;
  EXPECT_EQ(MessageLoop::ForCurrentThread(), &loop);
  Script script(window);
  loop.AddMessageFilter(&script);
  loop.AddIdleHandler(&script);
  EXPECT_EQ(loop.Run(), 7);

  // Each quiet message left idle processing off until the timer's message came.
  EXPECT_EQ(script.idleCallsAtQuiet, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(script.idleCallsAtWake, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(script.idleCalls, 5);
  // The filter's message never reached the window; the other one did.
  EXPECT_EQ(g_dispatched, std::vector<UINT>{kDispatched});

  loop.RemoveMessageFilter(&script);
  loop.RemoveIdleHandler(&script);
  DestroyWindow(window);
}

}  // namespace
