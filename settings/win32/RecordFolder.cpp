#include "settings/win32/RecordFolder.h"

#include <windows.h>

namespace {

// The folder's name as Windows keeps it: converted whole, so that a double-byte character is
// never split.
std::wstring Widened(const std::string& text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

}  // namespace

bool EnsureRecordFolder(const std::string& path) {
  const std::wstring wide = Widened(path);
  if (wide.empty()) return false;
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  return CreateDirectoryW(wide.c_str(), nullptr) != FALSE;
}
