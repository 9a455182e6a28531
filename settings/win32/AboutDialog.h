#pragma once
// The About box (dialog 424): versions and a download link. No buttons: Enter closes it with 1,
// Escape with 2, following the link with 0.

#include <windows.h>

#include <functional>
#include <string>

#include "base/win32/GdiHandles.h"
#include "controls/win32/MyCtrlColor.h"
#include "controls/win32/Subclass.h"

class CAbout {
 public:
  // Opens an address; by default through the shell ("open").
  using UrlOpener = std::function<void(const std::string&)>;
  explicit CAbout(UrlOpener opener = {});

  // Modal over `owner` (the active window of the caller), centred on it.
  INT_PTR DoModal(HWND owner);

 private:
  static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);
  void OnInitDialog(HWND dialog);
  void MakeHyperlink(HWND link);
  // The address the link shows, handed to the opener.
  void OpenLink();

  UrlOpener opener_;
  CMyCtrlColor colours_{0xFF0000, 0xDBDBDB};
  WindowSubclass link_;
  UniqueFont linkFont_;
};
