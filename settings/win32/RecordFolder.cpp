#include "settings/win32/RecordFolder.h"

#include <windows.h>

#include "base/win32/WideText.h"

bool EnsureRecordFolder(const std::string& path) {
  const std::wstring wide = WideFromAnsi(path);
  if (wide.empty()) return false;
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  return CreateDirectoryW(wide.c_str(), nullptr) != FALSE;
}
