// The Windows package as a user gets it: scripts/test.sh unzips build/kestrune-win64.zip into a
// fresh folder and names it in KESTRUNE_UNPACKED; the program is started from there, shows its
// window and ends cleanly through its Close button.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/win32/SingleInstance.h"
#include "resources/resource.h"
#include "tests/win/ProgramProcess.h"

namespace {

std::string UnpackedFolder() {
  char value[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA("KESTRUNE_UNPACKED", value, sizeof value);
  return length > 0 && length < sizeof value ? std::string(value) : std::string();
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

TEST(UnpackedPackage, HoldsEverythingAndRunsFromAFreshFolder) {
  const std::string folder = UnpackedFolder();
  if (folder.empty()) GTEST_SKIP() << "run by scripts/test.sh on the unpacked package";

  for (const char* name : {"kestrune.exe", "lame_enc.dll", "User Guide.txt", "LICENSE.txt", "LAME-LICENSE.txt"})
    EXPECT_TRUE(Exists(folder + "\\" + name)) << name;

  // The encoder beside the program is a usable LAME DLL.
  HMODULE lame = LoadLibraryA((folder + "\\lame_enc.dll").c_str());
  ASSERT_NE(lame, nullptr);
  EXPECT_NE(GetProcAddress(lame, "beInitStream"), nullptr);
  EXPECT_NE(GetProcAddress(lame, "beEncodeChunk"), nullptr);
  FreeLibrary(lame);

  ASSERT_EQ(FindRunningInstance(), nullptr) << "another copy is running";
  const UniqueHandle process = StartProgram(folder + "\\kestrune.exe", {}, folder);
  ASSERT_TRUE(process);
  HWND window = WaitForMainWindow();
  EXPECT_NE(window, nullptr) << "the unpacked program never showed its window";
  if (window) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    EXPECT_EQ(owner, GetProcessId(process.Get()));
    EXPECT_TRUE(IsWindowVisible(window));
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_CLOSE, 0), 0);
  }
  EXPECT_EQ(WaitForExit(process.Get()), 0u) << "the program did not end cleanly";
}
