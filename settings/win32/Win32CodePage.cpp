#include "settings/win32/Win32CodePage.h"

#include <windows.h>

Win32CodePage::Win32CodePage(unsigned codePage) {
  for (unsigned byte = 0; byte < 256; ++byte)
    SetLead(static_cast<unsigned char>(byte), IsDBCSLeadByteEx(codePage, static_cast<BYTE>(byte)) != FALSE);
}

const ICodePage& AnsiCodePage() {
  static const Win32CodePage page(CP_ACP);
  return page;
}
