#include "app/win32/SingleInstance.h"

#include "app/InstanceLockRule.h"
#include "app/win32/MainDlg.h"

namespace {

BOOL CALLBACK CheckWindow(HWND window, LPARAM found) {
  if (reinterpret_cast<UINT_PTR>(GetPropA(window, kInstanceProperty)) != kInstanceMarker) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

}  // namespace

InstanceLock::InstanceLock() {
  // "Local\": one per log-on session, whichever copy of the program (installed, unpacked, demo).
  mutex_.Reset(CreateMutexW(nullptr, FALSE, L"Local\\Kestrune-3F6B2C1E-8D47-4A52-9E0B-7C1D5A64F2B9"));
  const DWORD error = GetLastError();
  LockAnswer answer = LockAnswer::Made;
  if (mutex_) answer = error == ERROR_ALREADY_EXISTS ? LockAnswer::AlreadyThere : LockAnswer::Made;
  else answer = error == ERROR_ACCESS_DENIED ? LockAnswer::Refused : LockAnswer::Failed;
  first_ = IsFirstCopy(answer);
}

HWND WaitForRunningInstance(DWORD ms) {
  HWND window = FindRunningInstance();
  for (DWORD waited = 0; !window && waited < ms; waited += 100) {
    Sleep(100);
    window = FindRunningInstance();
  }
  return window;
}

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
