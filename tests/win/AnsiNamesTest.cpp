// Reservation names on a Japanese system: the process's ANSI code page is 932, where the second
// byte of a character may be '\' or '|'. The name must reach the disk as the same characters.
//
// The ANSI code page is fixed when a process starts, so the 932 case runs in its own process:
// the ctest entry wine_tests_cp932 starts this suite with LC_ALL=ja_JP.UTF-8 (Wine derives the
// code page from it) and --gtest_also_run_disabled_tests; the ordinary run leaves it out.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "schedule/ScheduleTable.h"
#include "schedule/win32/Win32Power.h"
#include "settings/win32/Win32CodePage.h"

namespace {

bool Is932Lead(unsigned b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// The one entry of a folder, as UTF-16: what the file system holds, whatever the code page.
std::wstring OnlyEntry(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return L"<nothing>";
  std::wstring name;
  do {
    const std::wstring entry = found.cFileName;
    if (entry != L"." && entry != L"..") name += (name.empty() ? L"" : L"|") + entry;
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return name;
}

void Touch(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  CloseHandle(file);
}

TEST(AnsiNames, CodePage932LeadBytesAsTheSystemHasThem) {
  const Win32CodePage cp932(932);
  for (unsigned b = 0; b < 256; ++b) EXPECT_EQ(cp932.IsLeadByte(static_cast<unsigned char>(b)), Is932Lead(b)) << b;
  const Win32CodePage acp(CP_ACP);
  for (unsigned b = 0; b < 256; ++b)
    EXPECT_EQ(acp.IsLeadByte(static_cast<unsigned char>(b)), IsDBCSLeadByte(static_cast<BYTE>(b)) != FALSE) << b;
}

TEST(DISABLED_AnsiNames932, JapaneseReservationNamesAreTheFolderAndFileOnDisk) {
  ASSERT_EQ(GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8";
  for (unsigned b = 0; b < 256; ++b) EXPECT_EQ(AnsiCodePage().IsLeadByte(static_cast<unsigned char>(b)), Is932Lead(b)) << b;

  wchar_t tempW[MAX_PATH];
  GetTempPathW(MAX_PATH, tempW);
  const std::wstring rootW = std::wstring(tempW) + L"kestrune-cp932-" + std::to_wstring(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryW(rootW.c_str(), nullptr));
  char tempA[MAX_PATH];
  GetTempPathA(MAX_PATH, tempA);  // ASCII, so the same folder in either form
  const std::string root = std::string(tempA) + "kestrune-cp932-" + std::to_string(GetCurrentProcessId());

  // "Jポップ": ポ is 83 7C, '|' as a second byte.
  const std::string jpop = "J\x83\x7C\x83\x62\x83\x76";
  const std::string folderName = SafeFolderName(jpop, AnsiCodePage());
  Win32RecordFolders folders;
  ASSERT_TRUE(folders.EnsureFolder(ScheduledFolder(root, folderName)));
  Touch(ScheduledFilePath(root, folderName, true, "20261207", "100000"));
  EXPECT_EQ(OnlyEntry(rootW), L"J\u30DD\u30C3\u30D7");
  EXPECT_EQ(OnlyEntry(rootW + L"\\J\u30DD\u30C3\u30D7"), L"20261207_100000.mp3");

  // "ソナタ" (ソ is 83 5C, '\' as a second byte) as the flat name beside a folder not made.
  const std::string sonata = "\x83\x5C\x83\x69\x83\x5E";
  const std::string flatFolder = root + "\\flat";
  ASSERT_TRUE(CreateDirectoryA(flatFolder.c_str(), nullptr));
  Touch(ScheduledFilePath(flatFolder, SafeFolderName(sonata, AnsiCodePage()), false, "20261207", "100000"));
  EXPECT_EQ(OnlyEntry(rootW + L"\\flat"), L"\u30BD\u30CA\u30BF_20261207_100000.mp3");

  DeleteFileW((rootW + L"\\flat\\\u30BD\u30CA\u30BF_20261207_100000.mp3").c_str());
  RemoveDirectoryW((rootW + L"\\flat").c_str());
  DeleteFileW((rootW + L"\\J\u30DD\u30C3\u30D7\\20261207_100000.mp3").c_str());
  RemoveDirectoryW((rootW + L"\\J\u30DD\u30C3\u30D7").c_str());
  RemoveDirectoryW(rootW.c_str());
}

}  // namespace
