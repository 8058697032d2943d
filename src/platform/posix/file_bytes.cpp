#include "platform/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};
}  // namespace

SysStatus WriteFileBytes(const std::string& path, const uint8_t* data, size_t length) {
  // Neither through a link nor into a FIFO or device someone put in the file's place: only
  // a regular file is emptied and written.
  Fd fd(RetryOnInterrupt([&] {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                  0644);
  }));
  if (fd.get() < 0) return SysStatus::Fail("open", errno);
  struct stat st {};
  if (fstat(fd.get(), &st) != 0) return SysStatus::Fail("fstat", errno);
  if (!S_ISREG(st.st_mode)) return SysStatus::Fail("not a regular file", EINVAL);
  if (ftruncate(fd.get(), 0) != 0) return SysStatus::Fail("ftruncate", errno);
  size_t done = 0;
  while (done < length) {
    ssize_t n = RetryOnInterrupt([&] { return ::write(fd.get(), data + done, length - done); });
    if (n <= 0) return SysStatus::Fail("write", n < 0 ? errno : EIO);
    done += static_cast<size_t>(n);
  }
  return OkStatus();
}

SysStatus RemoveFile(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) {
    return errno == ENOENT ? OkStatus() : SysStatus::Fail("lstat", errno);
  }
  if (!S_ISREG(st.st_mode)) return SysStatus::Fail("not a regular file", EINVAL);
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) return SysStatus::Fail("unlink", errno);
  return OkStatus();
}

}  // namespace platform
