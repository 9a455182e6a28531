#pragma once
// The settings dialogs on the real registry of the test prefix: the fixture that clears it, and
// reading, writing and screenshots of what the dialogs store and show.

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "resources/settings_ids.h"
#include "settings/SettingsStore.h"
#include "settings/win32/PcSettingsDialog.h"
#include "settings/win32/RegistryTree.h"
#include "settings/win32/PreferencesDialog.h"
#include "settings/win32/TimerListDialog.h"
#include "settings/win32/TimerSettingsDialog.h"
#include "tests/support/PngWriter.h"
#include "tests/win/ModalScript.h"
#include "tests/win/PixelGrab.h"

// Each test file has its own copy: the helpers stay out of the way of the program's own.
namespace {

inline std::string Read(const std::string& subkey, const char* name) {
  char data[4096] = {};
  DWORD size = sizeof data;
  const std::string path = std::string(kSettingsRoot) + "\\" + subkey;
  if (RegGetValueA(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
    return "<missing>";
  return data;
}
inline std::string General(const char* name) { return Read(kGeneralKey, name); }

inline void Write(const std::string& subkey, const char* name, const std::string& text) {
  RegistryTree tree;
  SettingsStore(tree).WriteValue(subkey, name, text);
}

// A dialog as the screen shows it. No window manager draws captions on the test display, so
// the window's own caption is drawn above its client area by the system's caption painter.
inline void SaveShot(HWND window, const std::string& name) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  {
    // Wine hands painted pixels to the display while the loop runs; the script waits meanwhile.
    ModalScript::Pause pause;
    PumpMessages(100);
  }
  RECT client{};
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  const Pixels inside = PixelsOfScreen(origin.x, origin.y, client.right, client.bottom);
  const int bar = GetSystemMetrics(SM_CYCAPTION);
  Canvas canvas(client.right, bar, 0);
  RECT caption{0, 0, client.right, bar};
  DrawCaption(window, canvas.Dc(), &caption, DC_ACTIVE | DC_TEXT | DC_GRADIENT);
  const Pixels top = canvas.Snapshot();
  std::vector<std::uint8_t> rgba;
  auto put = [&rgba](DWORD v) { rgba.insert(rgba.end(), {std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v), 255}); };
  for (int y = 0; y < bar; ++y)
    for (int x = 0; x < top.width; ++x) put(top.At(x, y));
  for (int y = 0; y < inside.height; ++y)
    for (int x = 0; x < inside.width; ++x) put(inside.At(x, y));
  const std::filesystem::path dir = std::filesystem::path(KESTRUNE_BINARY_DIR) / "artifacts";
  std::filesystem::create_directories(dir);
  EXPECT_TRUE(WritePngRgba((dir / name).string(), inside.width, bar + inside.height, rgba));
}

inline HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }
inline std::string ItemText(HWND dialog, int id) { return WindowTextOf(Item(dialog, id)); }
inline LRESULT ComboSelection(HWND dialog, int id) { return SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0); }
// A cell of a list view, as anyone reading the list (a screen reader too) is given it.
inline std::string ListText(HWND list, int row, int column) {
  char text[256] = {};
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return text;
}

// Waits for the message box, reads it into `text` and closes it with OK.
inline std::function<bool()> AnswerMessageBox(std::string& text) {
  return [&text] {
    HWND box = FindDialog("");
    if (!box) return false;
    text = MessageBoxText(box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return true;
  };
}

class SettingsDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SHDeleteKeyA(HKEY_CURRENT_USER, kSettingsRoot);
    SettingsStore fresh(tree);  // the default tree, as the main window would have made it
  }
  void TearDown() override { SHDeleteKeyA(HKEY_CURRENT_USER, kSettingsRoot); }
  RegistryTree tree;
  ModalScript script;
};

}  // namespace
