#pragma once
// One Kestrune per desktop: the running copy is found by the marker property of its window.

#include <windows.h>

// The first top-level window whose marker property holds 1022, or null.
HWND FindRunningInstance();

// Shows the running copy in its normal state (also when hidden to the tray) and brings it to
// the front.
void ActivateInstance(HWND window);
