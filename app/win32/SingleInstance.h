#pragma once
// One Kestrune per desktop: the running copy is found by the marker property of its window.

#include <windows.h>

#include <functional>

// The first top-level window whose marker property holds 1022, or null.
HWND FindRunningInstance();

// Shows the running copy in its normal state (also when hidden to the tray) and brings it to
// the front.
void ActivateInstance(HWND window);

// Shows the new main window with the start's show command and marks it as the running copy at
// once, before its first paint and before `thenStart` (the rest of the start-up): a copy started
// meanwhile, a double-click's second start, finds it and leaves.
void ShowAsRunningInstance(HWND window, int showCommand, const std::function<void()>& thenStart);
