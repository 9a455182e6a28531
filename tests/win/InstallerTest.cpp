// The Windows installer as a user runs it: scripts/test.sh installs build/kestrune-setup.exe
// silently into a fresh Wine prefix and names the setup in KESTRUNE_SETUP. What the install left
// is read back, the installed program is started, the setup runs again over it, and the
// registered uninstaller removes the program but not the user's recordings and settings.
#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>
#include <string>

#include "app/win32/SingleInstance.h"
#include "resources/resource.h"
#include "schedule/win32/Win32StartTask.h"
#include "settings/SettingsStore.h"
#include "tests/win/ProgramProcess.h"
#include "tests/win/TaskSchedulerKit.h"

namespace {

constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kestrune";
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kStartupApprovedKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
constexpr const char* kMissing = "<missing>";

std::string Env(const char* name) {
  char value[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return length > 0 && length < sizeof value ? std::string(value) : std::string();
}

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = {};
  return SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : "";
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

DWORD FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ? data.nFileSizeLow : 0;
}

std::string RegText(const char* key, const char* name) {
  char data[1024] = {};
  DWORD size = sizeof data;
  if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) return kMissing;
  return data;
}

DWORD RegNumber(const char* key, const char* name) {
  DWORD data = 0xFFFFFFFF;
  DWORD size = sizeof data;
  RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &data, &size);
  return data;
}

bool HasStartupRecord() {
  return RegGetValueA(HKEY_CURRENT_USER, kStartupApprovedKey, "Kestrune", RRF_RT_REG_BINARY, nullptr, nullptr,
                      nullptr) == ERROR_SUCCESS;
}

bool SetRegText(const char* key, const char* name, const std::string& text) {
  return RegSetKeyValueA(HKEY_CURRENT_USER, key, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1)) ==
         ERROR_SUCCESS;
}

// The exit code of a command line run to its end, or -1 when it did not start or end in time.
long RunToEnd(std::string commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return -1;
  CloseHandle(process.hThread);
  const UniqueHandle owned(process.hProcess);
  const DWORD code = WaitForExit(owned.Get(), 120000);
  return code == STILL_ACTIVE ? -1 : static_cast<long>(code);
}

std::string ShortcutTarget(const std::string& link) {
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  char target[MAX_PATH] = {};
  {
    Microsoft::WRL::ComPtr<IShellLinkA> shellLink;
    Microsoft::WRL::ComPtr<IPersistFile> file;
    const std::wstring wide(link.begin(), link.end());
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&shellLink))) &&
        SUCCEEDED(shellLink.As(&file)) && SUCCEEDED(file->Load(wide.c_str(), STGM_READ)))
      shellLink->GetPath(target, sizeof target, nullptr, 0);
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return target;
}

// The product version in the program's own version resource, as "a.b.c.d".
std::string ProductVersion(const std::string& exe) {
  DWORD ignored = 0;
  std::string block(GetFileVersionInfoSizeA(exe.c_str(), &ignored), '\0');
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (block.empty() || !GetFileVersionInfoA(exe.c_str(), 0, static_cast<DWORD>(block.size()), block.data()) ||
      !VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&info), &length) || !info)
    return "";
  char text[64];
  std::snprintf(text, sizeof text, "%lu.%lu.%lu.%lu", info->dwProductVersionMS >> 16, info->dwProductVersionMS & 0xFFFF,
                info->dwProductVersionLS >> 16, info->dwProductVersionLS & 0xFFFF);
  return text;
}

}  // namespace

TEST(InstalledPackage, InstallsForTheUserRunsAndUninstallsKeepingRecordingsAndSettings) {
  const std::string setup = Env("KESTRUNE_SETUP");
  if (setup.empty()) GTEST_SKIP() << "run by scripts/test.sh after the setup's silent install in a fresh prefix";
  const std::string folder = ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Kestrune";
  const std::string exe = folder + "\\kestrune.exe";
  const std::string uninstaller = folder + "\\uninstall.exe";
  const std::string shortcut = ShellFolder(CSIDL_PROGRAMS) + "\\Kestrune.lnk";
  const char* const files[] = {"kestrune.exe", "lame_enc.dll", "User Guide.txt", "LICENSE.txt", "LAME-LICENSE.txt",
                               "uninstall.exe"};

  DWORD bytes = 0;
  for (const char* name : files) {
    EXPECT_TRUE(Exists(folder + "\\" + name)) << name;
    bytes += FileSize(folder + "\\" + name);
  }
  EXPECT_STRCASEEQ(ShortcutTarget(shortcut).c_str(), exe.c_str());
  EXPECT_EQ(RegText(kUninstallKey, "DisplayName"), "Kestrune");
  EXPECT_EQ(RegText(kUninstallKey, "DisplayVersion"), ProductVersion(exe));
  EXPECT_EQ(RegText(kUninstallKey, "Publisher"), "The Kestrune developers");
  EXPECT_EQ(RegText(kUninstallKey, "DisplayIcon"), exe);
  EXPECT_EQ(RegText(kUninstallKey, "InstallLocation"), folder);
  EXPECT_EQ(RegText(kUninstallKey, "UninstallString"), "\"" + uninstaller + "\"");
  EXPECT_EQ(RegText(kUninstallKey, "QuietUninstallString"), "\"" + uninstaller + "\" /S");
  EXPECT_EQ(RegNumber(kUninstallKey, "NoModify"), 1u);
  EXPECT_EQ(RegNumber(kUninstallKey, "NoRepair"), 1u);
  EXPECT_NEAR(RegNumber(kUninstallKey, "EstimatedSize"), bytes / 1024.0, std::size(files));
  const std::string runCommand = "\"" + exe + "\" /tray";
  EXPECT_EQ(RegText(kRunKey, "Kestrune"), runCommand);

  // The installed program runs; a setup started meanwhile leaves it and its files alone.
  ASSERT_EQ(FindRunningInstance(), nullptr) << "another copy is running";
  const UniqueHandle process = StartProgram(exe, {}, folder);
  ASSERT_TRUE(process);
  HWND window = WaitForMainWindow();
  EXPECT_NE(window, nullptr) << "the installed program never showed its window";
  if (window) {
    EXPECT_EQ(RunToEnd("\"" + setup + "\" /S"), 2) << "the setup went on over the running program";
    EXPECT_EQ(RunToEnd(RegText(kUninstallKey, "QuietUninstallString") + " _?=" + folder), 2)
        << "the uninstaller went on under the running program";
    EXPECT_TRUE(Exists(exe));
    EXPECT_EQ(WaitForSingleObject(process.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(IsWindowVisible(window));
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_CLOSE, 0), 0);
  }
  EXPECT_EQ(WaitForExit(process.Get()), 0u) << "the installed program did not end cleanly";

  // A copy run from elsewhere, window and all, is not the installed one: an update goes ahead.
  std::string elsewhere = std::string("Z:") + KESTRUNE_BINARY_DIR + "/kestrune.exe";
  for (char& c : elsewhere)
    if (c == '/') c = '\\';
  if (Exists(elsewhere)) {
    const UniqueHandle other = StartProgram(elsewhere);
    HWND otherWindow = WaitForMainWindow();
    EXPECT_NE(otherWindow, nullptr);
    EXPECT_EQ(RunToEnd("\"" + setup + "\" /S"), 0) << "a copy elsewhere held the setup up";
    PostMessageA(otherWindow, WM_COMMAND, MAKEWPARAM(ID_EXIT, 0), 0);
    EXPECT_EQ(WaitForExit(other.Get()), 0u);
  }

  // The user's own things: a setting, a recording, and the start at log-on turned off (as the
  // program's tray item does). An older version's file stands in the folder.
  const std::string settingsKey = std::string(kSettingsRoot) + "\\" + kGeneralKey;
  ASSERT_TRUE(SetRegText(settingsKey.c_str(), "InstallTestMarker", "kept"));
  std::string recordFolder = RegText(settingsKey.c_str(), "RECORDFOLDER");
  if (recordFolder == kMissing) recordFolder = "C:\\RadioREC";
  CreateDirectoryA(recordFolder.c_str(), nullptr);
  const std::string recording = recordFolder + "\\FM8980_20261206_135700.mp3";
  HANDLE file = CreateFileA(recording.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_EQ(RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, "Kestrune"), ERROR_SUCCESS);
  const std::string guide = folder + "\\User Guide.txt";
  const DWORD guideSize = FileSize(guide);
  file = CreateFileA(guide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);

  // An install over it replaces the files and keeps the user's settings and log-on choice.
  EXPECT_EQ(RunToEnd("\"" + setup + "\" /S"), 0);
  EXPECT_EQ(FileSize(guide), guideSize);
  EXPECT_EQ(RegText(kRunKey, "Kestrune"), kMissing);
  EXPECT_EQ(RegText(settingsKey.c_str(), "InstallTestMarker"), "kept");

  // The registered quiet uninstall, kept in place by _?= so that its end is the process's end: it
  // cannot delete itself then, and the folder holds nothing else. Another copy's start at log-on,
  // and its Startup apps record, are not this install's to remove.
  const std::string quietUninstall = RegText(kUninstallKey, "QuietUninstallString") + " _?=" + folder;
  const std::string otherCommand = "\"C:\\Elsewhere\\kestrune.exe\" /tray";
  const BYTE switchedOff[12] = {0x03, 0, 0, 0, 0xD4, 0x0D, 0x43, 0x8D, 0xC8, 0x3B, 0xD9, 0x01};
  ASSERT_TRUE(SetRegText(kRunKey, "Kestrune", otherCommand));
  ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, kStartupApprovedKey, "Kestrune", REG_BINARY, switchedOff,
                            sizeof switchedOff),
            ERROR_SUCCESS);
  // And so is the task another copy wrote last for its next reservation.
  ASSERT_TRUE(EnsureTaskSchedulerRunning());
  const StartTaskPlan plan{true, 0, CivilTime(CivilSeconds({2031, 5, 17, 0, 7, 0, 0})),
                           CivilTime(CivilSeconds({2031, 5, 17, 0, 6, 55, 0})), true};
  Win32StartTaskStore othersTask(L"C:\\Elsewhere\\kestrune.exe");
  ASSERT_EQ(othersTask.Write(plan, "Morning News"), 0u);
  EXPECT_EQ(RunToEnd(quietUninstall), 0);
  EXPECT_FALSE(Exists(exe));
  EXPECT_EQ(RegText(kRunKey, "Kestrune"), otherCommand);
  EXPECT_TRUE(HasStartupRecord());
  {
    TaskSchedulerReader reader;
    EXPECT_TRUE(reader.Read(kStartTaskFolder, othersTask.TaskName()).exists) << "the uninstaller removed another copy's task";
  }

  // Installed again, its own entry goes with the record, also unquoted and in other letter case.
  EXPECT_EQ(RunToEnd("\"" + setup + "\" /S"), 0);
  EXPECT_EQ(RegText(kRunKey, "Kestrune"), runCommand);
  std::string shouted = runCommand.substr(1);
  shouted.erase(shouted.find('"'), 1);
  CharUpperA(shouted.data());
  ASSERT_TRUE(SetRegText(kRunKey, "Kestrune", shouted));
  // The installed program's task for the next reservation, as it writes it over the other's.
  const std::wstring wideExe(exe.begin(), exe.end());
  Win32StartTaskStore installedTask(wideExe);
  ASSERT_EQ(installedTask.Write(plan, "Morning News"), 0u);
  {
    TaskSchedulerReader reader;
    ASSERT_TRUE(reader.Read(kStartTaskFolder, installedTask.TaskName()).exists);
  }
  EXPECT_EQ(RunToEnd(quietUninstall), 0);
  {
    TaskSchedulerReader reader;
    EXPECT_FALSE(reader.Read(kStartTaskFolder, installedTask.TaskName()).exists) << "the uninstaller left the task";
    EXPECT_FALSE(reader.FolderExists(kStartTaskFolder)) << "the uninstaller left the task folder";
  }
  for (const char* name : files) {
    if (std::string(name) == "uninstall.exe") continue;
    EXPECT_FALSE(Exists(folder + "\\" + name)) << name;
  }
  EXPECT_TRUE(DeleteFileA(uninstaller.c_str()));
  EXPECT_TRUE(RemoveDirectoryA(folder.c_str())) << "the uninstaller left files in " << folder;
  EXPECT_FALSE(Exists(shortcut));
  HKEY key = nullptr;
  EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  if (key) RegCloseKey(key);
  EXPECT_EQ(RegText(kRunKey, "Kestrune"), kMissing);
  EXPECT_FALSE(HasStartupRecord());
  EXPECT_EQ(RegText(settingsKey.c_str(), "InstallTestMarker"), "kept");
  EXPECT_TRUE(Exists(recording));
}
