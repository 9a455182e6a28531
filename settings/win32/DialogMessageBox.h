#pragma once
// Dialog messages as a Windows message box owned by the dialog that raises them.

#include <windows.h>

#include "settings/SettingsStore.h"

class DialogMessageBox final : public IDialogMessage {
 public:
  explicit DialogMessageBox(HWND owner) : owner_(owner) {}
  void Show(const std::string& text) override { MessageBoxA(owner_, text.c_str(), "", MB_OK); }

 private:
  HWND owner_;
};
