#pragma once
// The program's one notification-area icon. Removed again by its destructor.

#include <windows.h>
#include <shellapi.h>

class CTrayIcon final {
 public:
  CTrayIcon();
  ~CTrayIcon();
  CTrayIcon(const CTrayIcon&) = delete;
  CTrayIcon& operator=(const CTrayIcon&) = delete;

  // Adds the icon; the result says whether the shell took it. Refused on Windows before 4 and
  // for an owner that is not a window. `tooltip` is cut to the 127 characters the shell shows.
  BOOL Create(HWND owner, UINT callbackMessage, const char* tooltip, HICON icon, UINT id);
  // The picture from the program's icon resource `iconId`. 0 while the icon is not added.
  BOOL SetIcon(UINT iconId);
  void Remove();

  bool IsAdded() const { return added_ != 0; }
  const NOTIFYICONDATAA& Data() const { return data_; }

 private:
  int added_ = 0;
  NOTIFYICONDATAA data_;
};
