// Start with Windows on the real registry: a real kestrune.exe copied into a folder that the ANSI
// code page of this Western run cannot spell writes its own path, follows Explorer's Startup apps
// switch, and what it writes starts that very copy.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/StartEntry.h"
#include "app/win32/SingleInstance.h"
#include "app/win32/StartWithWindows.h"
#include "resources/resource.h"
#include "tests/win/ProgramProcess.h"

namespace {

std::optional<std::wstring> RunValue() {
  wchar_t data[2048] = {};
  DWORD size = sizeof data - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CURRENT_USER, kRunKeyW, kRunValueW, RRF_RT_REG_SZ | RRF_NOEXPAND, nullptr, data, &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  return std::wstring(data);
}

std::optional<std::vector<uint8_t>> Record() {
  std::vector<uint8_t> data(64);
  DWORD size = static_cast<DWORD>(data.size());
  if (RegGetValueW(HKEY_CURRENT_USER, kStartupApprovedKeyW, kRunValueW, RRF_RT_REG_BINARY, nullptr, data.data(),
                   &size) != ERROR_SUCCESS)
    return std::nullopt;
  data.resize(size);
  return data;
}

void ClearEntry() {
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKeyW, kRunValueW);
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kStartupApprovedKeyW, kRunValueW);
}

UniqueHandle StartCommandLine(std::wstring commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return UniqueHandle();
  CloseHandle(process.hThread);
  return UniqueHandle(process.hProcess);
}

// What the fold joins, Windows' file-name comparison joins; in the blocks the fold covers, the
// other way round too.
TEST(StartWithWindows, PathLettersFoldAsWindowsComparesFileNames) {
  auto covered = [](wchar_t c) { return c < 0x180 || (c >= 0x386 && c <= 0x3CE) || c >= 0x400; };
  for (wchar_t a = 1; a < 0x500; ++a)
    for (wchar_t b = a + 1; b < 0x500; ++b) {
      const bool windows = CompareStringOrdinal(&a, 1, &b, 1, TRUE) == CSTR_EQUAL;
      const bool ours = PathLetterUpper(a) == PathLetterUpper(b);
      if (ours != windows && (ours || (covered(a) && covered(b))))
        ADD_FAILURE() << std::hex << "U+" << int(a) << " U+" << int(b) << (windows ? " equal" : " differ")
                      << " for Windows";
    }
}

TEST(StartWithWindows, ACopyInACyrillicFolderWritesItsOwnPathFollowsStartupAppsAndIsWhatStarts) {
  std::wstring built = L"Z:";
  for (const char* c = KESTRUNE_BINARY_DIR "/kestrune.exe"; *c; ++c) built += *c == '/' ? L'\\' : wchar_t(*c);
  if (GetFileAttributesW(built.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "kestrune.exe not built";
  ASSERT_EQ(FindRunningInstance(), nullptr);
  wchar_t profile[MAX_PATH] = {};
  ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, profile)));
  const std::wstring folder = std::wstring(profile) + L"\\Программы", home = folder + L"\\Kestrune";
  const std::wstring copy = home + L"\\kestrune.exe", command = L"\"" + copy + L"\" /tray";
  BOOL lossy = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, copy.c_str(), -1, nullptr, 0, nullptr, &lossy);
  ASSERT_TRUE(lossy) << "code page " << GetACP() << " spells the folder: nothing would be proven";
  CreateDirectoryW(folder.c_str(), nullptr);
  CreateDirectoryW(home.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW(built.c_str(), copy.c_str(), FALSE));
  ClearEntry();

  UniqueHandle process = StartCommandLine(command);
  ASSERT_TRUE(process);
  HWND window = WaitForMainWindow(20000);
  ASSERT_NE(window, nullptr);
  auto choose = [&] { SendMessageW(window, WM_COMMAND, MAKEWPARAM(ID_START_WITH_WINDOWS, 0), 0); };

  choose();
  EXPECT_EQ(RunValue(), command) << "the value read back is the wide path, letter for letter";
  EXPECT_TRUE(StartsWithWindows(copy));
  EXPECT_FALSE(StartsWithWindows()) << "the test program is another copy";
  EXPECT_EQ(Record(), std::nullopt) << "no Startup apps record where none was";

  // Switched off in Startup apps: unchecked, and choosing the item switches it back on.
  const std::vector<uint8_t> off = {0x03, 0, 0, 0, 0xD4, 0x0D, 0x43, 0x8D, 0xC8, 0x3B, 0xD9, 0x01};
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kStartupApprovedKeyW, kRunValueW, REG_BINARY, off.data(), off.size()),
            ERROR_SUCCESS);
  EXPECT_FALSE(StartsWithWindows(copy));
  choose();
  EXPECT_EQ(RunValue(), command);
  EXPECT_EQ(Record(), std::vector<uint8_t>({0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_TRUE(StartsWithWindows(copy));

  // Checked: choosing it takes the entry and its record away.
  choose();
  EXPECT_EQ(RunValue(), std::nullopt);
  EXPECT_EQ(Record(), std::nullopt);

  // Another copy's entry leaves this one unchecked; choosing it puts this copy in its place.
  const std::wstring other = L"\"C:\\Kestrune\\kestrune.exe\" /tray";
  RegSetKeyValueW(HKEY_CURRENT_USER, kRunKeyW, kRunValueW, REG_SZ, other.c_str(), (other.size() + 1) * 2);
  EXPECT_TRUE(SetStartWithWindows(false, copy));
  EXPECT_EQ(RunValue(), other) << "switching this copy off leaves another's entry";
  choose();
  EXPECT_EQ(RunValue(), command);

  PostMessageW(window, WM_COMMAND, MAKEWPARAM(ID_EXIT, 0), 0);
  EXPECT_EQ(WaitForExit(process.Get()), 0u);

  // The value's command line, as the log-on start runs it, starts this copy hidden in the tray.
  UniqueHandle started = StartCommandLine(RunValue().value_or(L""));
  ASSERT_TRUE(started);
  wchar_t image[MAX_PATH * 2] = {};
  DWORD length = MAX_PATH * 2;
  EXPECT_TRUE(QueryFullProcessImageNameW(started.Get(), 0, image, &length));
  EXPECT_EQ(std::wstring(image), copy);
  window = WaitForMainWindow(20000);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(IsWindowVisible(window));
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(ID_EXIT, 0), 0);
  EXPECT_EQ(WaitForExit(started.Get()), 0u);

  ClearEntry();
  EXPECT_TRUE(DeleteFileW(copy.c_str()));
  RemoveDirectoryW(home.c_str());
  RemoveDirectoryW(folder.c_str());
}

}  // namespace
