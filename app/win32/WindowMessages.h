#pragma once
// The main window's own messages that other parts post or register: each number is fixed once
// here (the tray icon and the playback graph are given them, the window answers them).

#include <windows.h>

// The tray icon's callback (1034).
constexpr UINT kTrayCallbackMessage = WM_USER + 10;
// The playback graph's event (1035).
constexpr UINT kGraphEventMessage = WM_USER + 11;

// Window timers of the Win32 side, kept clear of the behaviour's timers (1 to 80) and of each
// other: a timer taken for another's is handled as the other's and never does its own work.
// The start's one-shot after the first painting.
constexpr UINT_PTR kTimerFinishStart = 0x4B53;
// The tray icon's retry while the shell refuses it (at log-on).
constexpr UINT_PTR kTimerTrayRetry = 0x4B54;
// The end of a burst of announcements.
constexpr UINT_PTR kTimerAnnounceBurst = 0x4B55;
