#pragma once
// A thin windowing layer: modeless dialogs with a message table of our own, the per-thread
// message loop with its message filters and idle handlers, and the reflection of child
// notifications back to the controls that sent them.

#include <windows.h>

#include <string>
#include <vector>

#include "controls/win32/Subclass.h"

class MessageFilter {
 public:
  virtual ~MessageFilter() = default;
  // TRUE when the message was consumed.
  virtual BOOL PreTranslateMessage(MSG* msg) = 0;
};

class IdleHandler {
 public:
  virtual ~IdleHandler() = default;
  virtual BOOL OnIdle() = 0;
};

// The message loop of one thread. Registered in the module's table while it runs, so that
// windows created on the thread can add themselves as filters and idle handlers.
class MessageLoop {
 public:
  MessageLoop();
  ~MessageLoop();
  MessageLoop(const MessageLoop&) = delete;
  MessageLoop& operator=(const MessageLoop&) = delete;

  void AddMessageFilter(MessageFilter* filter);
  void RemoveMessageFilter(MessageFilter* filter);
  void AddIdleHandler(IdleHandler* handler);
  void RemoveIdleHandler(IdleHandler* handler);

  // Runs until WM_QUIT; returns its wParam.
  int Run();

  // The loop registered for the calling thread, or null.
  static MessageLoop* ForCurrentThread();

 private:
  bool RunIdleHandlers();
  static bool ReArmsIdle(const MSG& msg);

  std::vector<MessageFilter*> filters_;
  std::vector<IdleHandler*> idleHandlers_;
  DWORD threadId_;
};


// A modeless dialog whose messages go to ProcessMessage.
class DialogWindow {
 public:
  DialogWindow() = default;
  virtual ~DialogWindow();
  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;

  // CreateDialogParamA of `templateId`; WM_INITDIALOG arrives inside this call.
  HWND Create(HINSTANCE instance, int templateId, HWND parent);
  HWND Hwnd() const { return hwnd_; }

 protected:
  // True when handled; `result` is the message's result (for WM_INITDIALOG: the focus flag).
  virtual bool ProcessMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
  virtual void OnFinalMessage() {}

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
};

// The window text of a dialog's control, whole (text of the ANSI code page).
std::string ControlText(HWND dialog, int id);
