#include "app/win32/TrayIcon.h"

#include <cstring>

#include "app/TrayIconAdd.h"
#include "app/TrayNotices.h"

CTrayIcon::CTrayIcon() { std::memset(&data_, 0, sizeof data_); }

CTrayIcon::~CTrayIcon() { Remove(); }

BOOL CTrayIcon::Create(HWND owner, UINT callbackMessage, const char* tooltip, HICON icon, UINT id) {
  added_ = 0;
  if (LOBYTE(LOWORD(GetVersion())) < 4 || !IsWindow(owner)) return FALSE;
  // The version-2 layout: the 128-character tooltip, nothing of the balloon fields. (488 bytes in
  // a 32-bit process, 504 in a 64-bit one.)
  data_.cbSize = NOTIFYICONDATAA_V2_SIZE;
  data_.hWnd = owner;
  data_.uID = id;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = callbackMessage;
  data_.hIcon = icon;
  std::memset(data_.szTip, 0, sizeof data_.szTip);
  if (tooltip) std::strncpy(data_.szTip, tooltip, sizeof data_.szTip - 1);
  added_ = AddTrayIconOrAdoptIt([this](TrayIconRequest request) {
              return Shell_NotifyIconA(request == TrayIconRequest::Add ? NIM_ADD : NIM_MODIFY, &data_) != FALSE;
            })
               ? 1
               : 0;
  return added_;
}

BOOL CTrayIcon::SetIcon(UINT iconId) {
  // Icons loaded by LoadIcon are shared and never destroyed by their user.
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconId));
  if (!added_) return FALSE;
  data_.uFlags = NIF_ICON;
  data_.hIcon = icon;
  return Shell_NotifyIconA(NIM_MODIFY, &data_);
}

namespace {

// Up to `size` - 1 bytes of `text`, cut at a whole line or character, never emptied.
void CopyFitted(char* out, size_t size, const std::string& text) {
  const std::string kept = FitNotification(text, size - 1);
  std::memset(out, 0, size);
  std::memcpy(out, kept.data(), kept.size());
}

}  // namespace

BOOL CTrayIcon::ShowBalloon(const std::string& title, const std::string& text) {
  if (!added_) return FALSE;
  data_.uFlags = NIF_INFO;
  CopyFitted(data_.szInfoTitle, sizeof data_.szInfoTitle, title);
  CopyFitted(data_.szInfo, sizeof data_.szInfo, text);
  data_.uTimeout = 10000;
  data_.dwInfoFlags = NIIF_INFO;
  return Shell_NotifyIconA(NIM_MODIFY, &data_);
}

void CTrayIcon::Remove() {
  if (!added_) return;
  data_.uFlags = 0;
  Shell_NotifyIconA(NIM_DELETE, &data_);
  added_ = 0;
}
