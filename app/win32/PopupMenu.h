#pragma once
// The window's pop-up menus: a menu resource loaded for one showing and destroyed after it.

#include <windows.h>

#include "base/win32/GdiHandles.h"

struct MenuTraits {
  static void Close(HMENU menu) { DestroyMenu(menu); }
};
using UniqueMenu = UniqueGdiHandle<HMENU, MenuTraits>;

// Tracks the first pop-up of `menu` at the cursor, the owner brought to the front first (else
// the menu would not close when the user clicks elsewhere). The choice arrives as WM_COMMAND.
// False when the menu has no pop-up.
bool TrackPopupAtCursor(HMENU menu, HWND owner, UINT flags);
