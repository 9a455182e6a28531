#pragma once
// The main window's own messages that other parts post or register: each number is fixed once
// here (the tray icon and the playback graph are given them, the window answers them).

#include <windows.h>

// The tray icon's callback (1034).
constexpr UINT kTrayCallbackMessage = WM_USER + 10;
// The playback graph's event (1035).
constexpr UINT kGraphEventMessage = WM_USER + 11;
