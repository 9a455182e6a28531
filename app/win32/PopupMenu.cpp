#include "app/win32/PopupMenu.h"

bool TrackPopupAtCursor(HMENU menu, HWND owner, UINT flags) {
  HMENU popup = menu ? GetSubMenu(menu, 0) : nullptr;
  if (!popup) return false;
  POINT cursor{};
  GetCursorPos(&cursor);
  SetForegroundWindow(owner);
  TrackPopupMenu(popup, flags, cursor.x, cursor.y, 0, owner, nullptr);
  return true;
}
