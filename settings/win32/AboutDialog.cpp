#include "settings/win32/AboutDialog.h"

#include <shellapi.h>

#include "resources/skin_ids.h"

namespace {

void OpenThroughShell(const std::string& address) {
  ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CentreOn(HWND window, HWND owner) {
  RECT area{};
  if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner))
    GetWindowRect(owner, &area);
  else
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  RECT rc;
  GetWindowRect(window, &rc);
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  SetWindowPos(window, nullptr, area.left + (area.right - area.left - w) / 2, area.top + (area.bottom - area.top - h) / 2,
               0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

CAbout::CAbout(UrlOpener opener) : opener_(opener ? std::move(opener) : UrlOpener(OpenThroughShell)) {}

INT_PTR CAbout::DoModal(HWND owner) {
  return DialogBoxParamA(SkinInstance(), MAKEINTRESOURCEA(IDD_ABOUT), owner, &CAbout::DialogProc,
                         reinterpret_cast<LPARAM>(this));
}

void CAbout::OnInitDialog(HWND dialog) {
  colours_.Attach(dialog);
  if (HWND link = GetDlgItem(dialog, IDC_ABOUT_LINK)) MakeHyperlink(link);
  CentreOn(dialog, GetWindow(dialog, GW_OWNER));
}

void CAbout::MakeHyperlink(HWND link) {
  LOGFONTA lf{};
  HFONT base = reinterpret_cast<HFONT>(SendMessageA(link, WM_GETFONT, 0, 0));
  if (base == nullptr) base = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  GetObjectA(base, sizeof lf, &lf);
  lf.lfUnderline = TRUE;
  linkFont_.Reset(CreateFontIndirectA(&lf));
  SendMessageA(link, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_.Get()), FALSE);
  // Tab reaches the link, and Space or Enter on it does what a click does.
  SetWindowLongPtrA(link, GWL_STYLE, GetWindowLongPtrA(link, GWL_STYLE) | WS_TABSTOP);
  link_.Attach(link, [this](UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (msg == WM_SETCURSOR) {
      SetCursor(LoadCursor(nullptr, IDC_HAND));
      return TRUE;
    }
    if (msg == WM_GETDLGCODE) {
      // Enter would be the dialog's OK otherwise.
      const auto* key = reinterpret_cast<const MSG*>(lParam);
      if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN) return DLGC_WANTMESSAGE;
      return link_.CallNext(msg, wParam, lParam);
    }
    if (msg == WM_LBUTTONDOWN) OpenLink();
    if (msg == WM_KEYDOWN && (wParam == VK_SPACE || wParam == VK_RETURN)) {
      OpenLink();
      // The same end as a click's.
      SendMessageA(GetParent(link_.Hwnd()), WM_COMMAND, MAKEWPARAM(IDC_ABOUT_LINK, STN_CLICKED),
                   reinterpret_cast<LPARAM>(link_.Hwnd()));
      return 0;
    }
    return link_.CallNext(msg, wParam, lParam);
  });
}

void CAbout::OpenLink() {
  char address[512] = {};
  GetWindowTextA(link_.Hwnd(), address, sizeof address);
  if (address[0] != '\0') opener_(address);
}

INT_PTR CALLBACK CAbout::DialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      reinterpret_cast<CAbout*>(lParam)->OnInitDialog(dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 2);
          return TRUE;
        case IDC_ABOUT_LINK:
          if (HIWORD(wParam) == STN_CLICKED) EndDialog(dialog, 0);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}
