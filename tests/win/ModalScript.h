#pragma once
// Drives modal dialogs from inside their own message loops: the steps run one per tick of a
// thread timer, which every modal loop (dialog boxes, message boxes) dispatches. A step that
// opens a nested modal loop is still running while the next steps run inside that loop.
// When the steps are used up and a dialog of this thread is still open, the script fails the
// test and cancels it, so a broken dialog never hangs the suite.

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

class ModalScript {
 public:
  ModalScript() = default;
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;
  ~ModalScript() {
    if (timer_) KillTimer(nullptr, timer_);
    if (active_ == this) active_ = nullptr;
  }

  // A step run once.
  ModalScript& Do(std::function<void()> step) {
    steps_.push_back([step] {
      step();
      return true;
    });
    return *this;
  }
  // A step retried on every tick until it returns true (for a window that is about to appear).
  ModalScript& Until(std::function<bool()> step) {
    steps_.push_back(std::move(step));
    return *this;
  }

  // Arms the ticks; call right before the call that opens the first dialog.
  void Start() {
    active_ = this;
    timer_ = SetTimer(nullptr, 0, 15, &ModalScript::Tick);
  }
  bool Finished() const { return next_ >= steps_.size(); }

  // Holds the steps back while a step lets the loop run (to get painting onto the screen).
  struct Pause {
    Pause() { ++paused_; }
    ~Pause() { --paused_; }
    Pause(const Pause&) = delete;
    Pause& operator=(const Pause&) = delete;
  };

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    ModalScript* self = active_;
    if (self == nullptr || paused_ > 0) return;
    if (self->next_ < self->steps_.size()) {
      const size_t index = self->next_;
      if (++self->tries_ > 400) {  // about six seconds
        ADD_FAILURE() << "script step " << index << " never came true";
        self->tries_ = 0;
        ++self->next_;
        return;
      }
      // Advance first: the step may open a modal loop in which the following steps run.
      auto step = self->steps_[index];
      self->next_ = index + 1;
      if (!step()) {
        self->next_ = index;
        return;
      }
      self->tries_ = 0;
      return;
    }
    if (++self->idle_ < 40) return;
    HWND stray = GetActiveWindow();
    if (stray != nullptr) {
      char cls[32] = {};
      GetClassNameA(stray, cls, sizeof cls);
      if (std::string(cls) == "#32770") {
        ADD_FAILURE() << "a dialog stayed open after the script";
        PostMessageA(stray, WM_COMMAND, IDCANCEL, 0);
      }
    }
    self->idle_ = 0;
  }

  static inline ModalScript* active_ = nullptr;
  static inline int paused_ = 0;
  std::vector<std::function<bool()>> steps_;
  size_t next_ = 0;
  int tries_ = 0;
  int idle_ = 0;
  UINT_PTR timer_ = 0;
};

// ---- Window helpers for the scripts ----

inline std::string WindowTextOf(HWND hwnd) {
  char text[512] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

// A visible dialog of this process with the caption (the empty caption finds message boxes).
inline HWND FindDialog(const char* caption) {
  HWND found = nullptr;
  struct Search {
    const char* caption;
    HWND* found;
  } search{caption, &found};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        char cls[32] = {};
        GetClassNameA(hwnd, cls, sizeof cls);
        if (std::string(cls) == "#32770" && IsWindowVisible(hwnd) && WindowTextOf(hwnd) == s->caption) {
          *s->found = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return found;
}

// The text of a message box: its one static with text.
inline std::string MessageBoxText(HWND box) {
  std::string text;
  EnumChildWindows(
      box,
      [](HWND child, LPARAM param) -> BOOL {
        char cls[16] = {};
        GetClassNameA(child, cls, sizeof cls);
        const std::string t = WindowTextOf(child);
        if (std::string(cls) == "Static" && !t.empty()) {
          *reinterpret_cast<std::string*>(param) = t;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&text));
  return text;
}

// A click on a push button as its parent sees it.
inline void ClickCommand(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
// A click on a check box or radio button: it changes its state as a mouse click would.
inline void ClickBox(HWND dialog, int id) { SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0); }

// Typed characters, through whatever filter the field has.
inline void TypeInto(HWND field, const std::string& keys) {
  for (char k : keys) SendMessageA(field, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(k)), 0);
}
inline void ClearField(HWND field) { SetWindowTextA(field, ""); }

// A key as the keyboard delivers it, to the focused control through the modal loop.
inline void PressKey(WPARAM key) { PostMessageA(GetFocus(), WM_KEYDOWN, key, 0); }

inline bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
