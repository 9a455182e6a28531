#pragma once
// The line of the PC settings and timer dialogs that says what the active power plan allows wake
// timers to do, and its link to Windows' power options; both stay hidden where the system does
// not say.

#include <windows.h>

#include "settings/WakeTimers.h"

// Reads the plan and shows (or hides) the line `lineId` and the link `linkId`.
void ShowWakeTimers(HWND dialog, int lineId, int linkId, IPowerPlan& plan);

// True when a WM_NOTIFY is the link `linkId` activated (clicked, or Enter while it has the focus).
bool IsLinkActivated(LPARAM notify, int linkId);
