#include "base/win32/LocalWallClock.h"

#include <windows.h>

LocalTime LocalWallClock::Now() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wDayOfWeek, t.wHour, t.wMinute, t.wSecond};
}
