#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "audio/InputFile.h"

namespace {

class PosixInputFile final : public IInputFile {
 public:
  explicit PosixInputFile(int fd) : fd_(fd) {}
  ~PosixInputFile() override { ::close(fd_); }
  PosixInputFile(const PosixInputFile&) = delete;
  PosixInputFile& operator=(const PosixInputFile&) = delete;

  size_t Read(void* data, size_t bytes) override {
    char* next = static_cast<char*>(data);
    size_t total = 0;
    while (total < bytes) {
      const ssize_t got = ::read(fd_, next + total, bytes - total);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      total += static_cast<size_t>(got);
    }
    return total;
  }
  bool Seek(uint64_t offset) override {
    return ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
  }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<IInputFile> OpenInputFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info {};
  // A folder opens for reading here but is no file.
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixInputFile>(fd);
}
