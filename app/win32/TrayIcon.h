#pragma once
// The program's one notification-area icon. Removed again by its destructor.

#include <windows.h>
#include <shellapi.h>

#include <string>

class CTrayIcon final {
 public:
  CTrayIcon();
  ~CTrayIcon();
  CTrayIcon(const CTrayIcon&) = delete;
  CTrayIcon& operator=(const CTrayIcon&) = delete;

  // Adds the icon; the result says whether it is there: taken, or already held by the shell for
  // this window and id (an add that timed out at log-on). Refused on Windows before 4 and for an
  // owner that is not a window. `tooltip` is cut to the 127 characters the shell shows.
  BOOL Create(HWND owner, UINT callbackMessage, const char* tooltip, HICON icon, UINT id);
  // The picture from the program's icon resource `iconId`. 0 while the icon is not added.
  BOOL SetIcon(UINT iconId);
  void Remove();
  // A notification (balloon) from the icon; false while the icon is not added or the shell
  // refused. Texts are cut to what the shell holds (63 and 255 bytes) at a whole line or
  // character, never emptied.
  BOOL ShowBalloon(const std::string& title, const std::string& text);

  bool IsAdded() const { return added_ != 0; }
  const NOTIFYICONDATAA& Data() const { return data_; }

 private:
  int added_ = 0;
  NOTIFYICONDATAA data_;
};
