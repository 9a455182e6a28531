#pragma once
// Skins the push buttons of one dialog as CWzButtonImpl and reflects their owner-draw requests.
// Call SkinChildren from WM_INITDIALOG; the object must live as long as the dialog window.

#include <windows.h>

#include <memory>
#include <vector>

#include "controls/win32/Subclass.h"
#include "controls/win32/WzButtonImpl.h"

class CButtonHelp {
 public:
  // Offers every child of `dialog` to Offer and starts reflecting WM_DRAWITEM to the skinned ones.
  void SkinChildren(HWND dialog);
  // Skins `child` when it is a push button not skinned before; true when it was skinned now.
  bool Offer(HWND child);
  CWzButtonImpl* Find(HWND button) const;
  std::size_t Count() const { return buttons_.size(); }

 private:
  WindowSubclass reflector_;
  std::vector<std::unique_ptr<CWzButtonImpl>> buttons_;
};
