#include <windows.h>

#include "audio/InputFile.h"

namespace {

class Win32InputFile final : public IInputFile {
 public:
  explicit Win32InputFile(HANDLE file) : file_(file) {}
  ~Win32InputFile() override { CloseHandle(file_); }
  Win32InputFile(const Win32InputFile&) = delete;
  Win32InputFile& operator=(const Win32InputFile&) = delete;

  size_t Read(void* data, size_t bytes) override {
    char* next = static_cast<char*>(data);
    size_t total = 0;
    while (total < bytes) {
      const size_t left = bytes - total;
      const DWORD chunk = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
      DWORD got = 0;
      if (!ReadFile(file_, next + total, chunk, &got, nullptr) || got == 0) break;
      total += got;
    }
    return total;
  }
  bool Seek(uint64_t offset) override {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file_, to, nullptr, FILE_BEGIN) != FALSE;
  }

 private:
  HANDLE file_;
};

}  // namespace

std::unique_ptr<IInputFile> OpenInputFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32InputFile>(file);
}
