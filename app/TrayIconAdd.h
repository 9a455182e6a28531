#pragma once
// Whether the notification icon is there after the program adds it. At a slow log-on the shell
// can take an add and still let it time out (Shell_NotifyIcon's documentation says so of
// NIM_ADD); each later add is then refused as a duplicate while the icon shows. A modify of the
// same window and id succeeds only for an icon the shell holds, so it tells which case this is.

#include <functional>

enum class TrayIconRequest { Add, Modify };

// Asks the shell through `ask` (true when it accepted): the add, and only when that was refused, a
// modify carrying the same data. True when either was accepted: the icon is there, notifications
// may go to it and it must be removed at exit.
bool AddTrayIconOrAdoptIt(const std::function<bool(TrayIconRequest)>& ask);
