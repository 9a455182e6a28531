#pragma once
// A UI Automation notification (Windows 10 1709 and later), raised from a small provider window
// of its own, a child of the main window, never from the main window itself: NVDA takes a window
// that serves UI Automation for a UI Automation window and drops its MSAA events, and the main
// window's tree is served through MSAA. The entry points are looked up at run time, so the
// program still starts where uiautomationcore lacks them (Windows 7, Wine 8).

#include <windows.h>
#include <oleauto.h>
#include <uiautomationcore.h>
#include <wrl/client.h>

#include <string>

#include "base/win32/GdiHandles.h"

// uiautomationcore's entry points the notification needs; a missing one is null.
struct UiaEntryPoints {
  using RaiseNotification = HRESULT(WINAPI*)(IRawElementProviderSimple* provider, int kind, int processing,
                                             BSTR text, BSTR activity);
  using ReturnRawElementProvider = LRESULT(WINAPI*)(HWND, WPARAM, LPARAM, IRawElementProviderSimple*);
  using HostProviderFromHwnd = HRESULT(WINAPI*)(HWND, IRawElementProviderSimple**);

  RaiseNotification raiseNotification = nullptr;
  ReturnRawElementProvider returnProvider = nullptr;
  HostProviderFromHwnd hostProvider = nullptr;

  // Loaded from the system's uiautomationcore.dll; the module stays loaded while `module` holds it.
  static UiaEntryPoints Find(UniqueModule& module);
  bool Complete() const { return raiseNotification && returnProvider && hostProvider; }
};

class NotificationProvider;

// The interface id of UI Automation's Window control pattern, which the notification's provider
// serves (pattern 10009).
const IID& NotificationWindowPatternIid();

class UiaNotifier {
 public:
  UiaNotifier();
  ~UiaNotifier();
  UiaNotifier(const UiaNotifier&) = delete;
  UiaNotifier& operator=(const UiaNotifier&) = delete;

  // Makes the provider window under `parent` with control id `id`. False, and nothing made, when
  // an entry point is missing: the caller then announces through its live region.
  bool Create(HWND parent, int id, const UiaEntryPoints& uia);
  // Before the parent goes: UI Automation lets go of the provider.
  void Destroy();
  HWND Hwnd() const { return hwnd_; }
  IRawElementProviderSimple* Provider() const;

  // Raises `text` as a notification; false when there is no provider window or UI Automation
  // refused it.
  bool Notify(const std::string& text);

 private:
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);

  UiaEntryPoints uia_;
  HWND hwnd_ = nullptr;
  Microsoft::WRL::ComPtr<NotificationProvider> provider_;
};
