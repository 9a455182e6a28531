#pragma once
// A Windows code page's lead bytes, as the system's conversion tables have them.

#include "settings/AnsiText.h"

class Win32CodePage final : public LeadByteTable {
 public:
  // CP_ACP (0) is the process's ANSI code page.
  explicit Win32CodePage(unsigned codePage);
};
