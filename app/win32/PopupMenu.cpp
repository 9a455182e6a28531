#include "app/win32/PopupMenu.h"

bool TrackPopupAtCursor(HMENU menu, HWND owner, UINT flags) {
  HMENU popup = menu ? GetSubMenu(menu, 0) : nullptr;
  if (!popup) return false;
  POINT cursor{};
  GetCursorPos(&cursor);
  SetForegroundWindow(owner);
  TrackPopupMenu(popup, flags, cursor.x, cursor.y, 0, owner, nullptr);
  // A menu opened from the tray would otherwise fail to open on the next click (the shell's
  // known foreground quirk): a message to the owner after tracking ends it.
  PostMessageA(owner, WM_NULL, 0, 0);
  return true;
}
