#pragma once
// The little every settings dialog shares: a modal run that hands the messages to the dialog
// object, centring, and reading and writing controls by id.

#include <windows.h>

#include <string>

// Date pickers, list views, tooltips and links are registered before a dialog that holds them opens.
void RegisterDialogControlClasses();

// Runs dialog `templateId` modally over `owner`, the common controls it may hold registered;
// `self.OnMessage(dialog, msg, wParam, lParam)` sees every message from WM_INITDIALOG on and
// returns what a dialog procedure returns.
template <typename Dialog>
INT_PTR RunModalDialog(Dialog& self, int templateId, HWND owner) {
  struct Proc {
    static INT_PTR CALLBACK Run(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
      if (msg == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      auto* target = reinterpret_cast<Dialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
      return target ? target->OnMessage(dialog, msg, wParam, lParam) : FALSE;
    }
  };
  RegisterDialogControlClasses();
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner, &Proc::Run,
                         reinterpret_cast<LPARAM>(&self));
}

// Centres `dialog` on its owner, or on the work area when it has none (or it is hidden or
// minimised, as the tray-hidden main window is).
void CentreDialog(HWND dialog);

std::string ItemText(HWND dialog, int id);
void SetItemText(HWND dialog, int id, const std::string& text);
bool IsItemChecked(HWND dialog, int id);
void SetItemChecked(HWND dialog, int id, bool checked);
// The combo box's selection, 0 when nothing is selected.
int ComboSelection(HWND dialog, int id);
