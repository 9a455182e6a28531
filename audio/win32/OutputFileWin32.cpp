#include <windows.h>

#include "audio/OutputFile.h"

namespace {

class Win32OutputFile final : public IOutputFile {
 public:
  explicit Win32OutputFile(HANDLE file) : file_(file) {}
  ~Win32OutputFile() override { CloseHandle(file_); }
  Win32OutputFile(const Win32OutputFile&) = delete;
  Win32OutputFile& operator=(const Win32OutputFile&) = delete;

  int Write(const void* data, size_t bytes) override {
    const char* next = static_cast<const char*>(data);
    while (bytes > 0) {
      const DWORD chunk = bytes > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes);
      DWORD written = 0;
      if (!WriteFile(file_, next, chunk, &written, nullptr)) return HRESULT_FROM_WIN32(GetLastError());
      if (written == 0) return HRESULT_FROM_WIN32(ERROR_WRITE_FAULT);
      next += written;
      bytes -= written;
    }
    return 0;
  }

  int Truncate(uint64_t length) override {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(length);
    if (!SetFilePointerEx(file_, position, nullptr, FILE_BEGIN) || !SetEndOfFile(file_))
      return HRESULT_FROM_WIN32(GetLastError());
    return 0;
  }

 private:
  HANDLE file_;
};

}  // namespace

std::unique_ptr<IOutputFile> CreateOutputFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32OutputFile>(file);
}

bool OutputPathTaken(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void RemoveOutputFile(const std::string& path) { DeleteFileA(path.c_str()); }
