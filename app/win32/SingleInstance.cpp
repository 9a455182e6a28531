#include "app/win32/SingleInstance.h"

#include "app/win32/MainDlg.h"

namespace {

BOOL CALLBACK CheckWindow(HWND window, LPARAM found) {
  if (reinterpret_cast<UINT_PTR>(GetPropA(window, kInstanceProperty)) != kInstanceMarker) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

}  // namespace

HWND FindRunningInstance() {
  HWND found = nullptr;
  EnumWindows(&CheckWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

void ActivateInstance(HWND window) {
  ShowWindow(window, SW_SHOWNORMAL);
  SetForegroundWindow(window);
}

void ShowAsRunningInstance(HWND window, int showCommand, const std::function<void()>& thenStart) {
  ShowWindow(window, showCommand);
  SetPropA(window, kInstanceProperty, reinterpret_cast<HANDLE>(kInstanceMarker));
  UpdateWindow(window);
  if (thenStart) thenStart();
}
