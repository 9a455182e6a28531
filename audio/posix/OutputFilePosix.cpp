#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "audio/OutputFile.h"

namespace {

// HRESULT_FROM_WIN32-style: the failure bit over the system's error number.
int ErrnoAsHresult(int error) { return static_cast<int>(0x80070000u | (static_cast<unsigned>(error) & 0xFFFFu)); }

class PosixOutputFile final : public IOutputFile {
 public:
  explicit PosixOutputFile(int fd) : fd_(fd) {}
  ~PosixOutputFile() override { ::close(fd_); }
  PosixOutputFile(const PosixOutputFile&) = delete;
  PosixOutputFile& operator=(const PosixOutputFile&) = delete;

  int Write(const void* data, size_t bytes) override {
    const char* next = static_cast<const char*>(data);
    while (bytes > 0) {
      const ssize_t written = ::write(fd_, next, bytes);
      if (written < 0) {
        if (errno == EINTR) continue;
        return ErrnoAsHresult(errno);
      }
      next += written;
      bytes -= static_cast<size_t>(written);
    }
    return 0;
  }

  int Truncate(uint64_t length) override {
    const off_t size = static_cast<off_t>(length);
    if (::ftruncate(fd_, size) != 0 || ::lseek(fd_, size, SEEK_SET) != size) return ErrnoAsHresult(errno);
    return 0;
  }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<IOutputFile> CreateOutputFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixOutputFile>(fd);
}

bool OutputPathTaken(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

void RemoveOutputFile(const std::string& path) { ::unlink(path.c_str()); }
