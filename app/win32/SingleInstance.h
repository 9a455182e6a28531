#pragma once
// One Kestrune per session: a named lock taken before anything else at start-up says whether a
// copy runs, and the running copy's window is found by its marker property.

#include <windows.h>

#include <functional>

#include "base/win32/Win32Handle.h"

// The session's lock of the running copy. Held for the life of the process; a second start that
// finds it taken leaves, also in the first seconds of the first copy's start, before that copy has
// a window (a start at log-on is hidden and slow).
class InstanceLock {
 public:
  InstanceLock();
  // False when another copy holds the lock, also one this copy may not open (an elevated copy's).
  // A lock that cannot be made at all does not keep the program from running.
  bool First() const { return first_; }

 private:
  UniqueHandle mutex_;
  bool first_ = true;
};

// The running copy's window, waited for up to `ms` while that copy comes up; null when none showed.
HWND WaitForRunningInstance(DWORD ms);

// The first top-level window whose marker property holds 1022, or null.
HWND FindRunningInstance();

// Shows the running copy in its normal state (also when hidden to the tray) and brings it to
// the front.
void ActivateInstance(HWND window);

// Shows the new main window with the start's show command and marks it as the running copy at
// once, before its first paint and before `thenStart` (the rest of the start-up): a copy started
// meanwhile, a double-click's second start, finds it and leaves.
void ShowAsRunningInstance(HWND window, int showCommand, const std::function<void()>& thenStart);
