#include "platform/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_handle.h"
#include "platform/posix/open_file_bytes.h"

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

SysResult<std::vector<uint8_t>> ReadOpenFileBytes(int fd, uint64_t maxBytes) {
  using Result = SysResult<std::vector<uint8_t>>;
  struct stat st {};
  if (fstat(fd, &st) != 0) return Result::Fail("fstat", errno);
  if (S_ISDIR(st.st_mode)) return Result::Fail("open", EISDIR);
  // A pipe, FIFO, device or socket has no size to trust and may never end.
  if (!S_ISREG(st.st_mode)) return Result::Fail("not a regular file", EINVAL);
  if (static_cast<uint64_t>(st.st_size) > maxBytes) return Result::Fail("fstat", EFBIG);
  std::vector<uint8_t> bytes(static_cast<size_t>(st.st_size));
  size_t got = 0;
  while (got < bytes.size()) {
    ssize_t n =
        RetryOnInterrupt([&] { return ::read(fd, bytes.data() + got, bytes.size() - got); });
    if (n < 0) return Result::Fail("read", errno);
    if (n == 0) break;  // the file shrank while being read
    got += static_cast<size_t>(n);
  }
  bytes.resize(got);
  return Result::Ok(std::move(bytes));
}

SysResult<std::vector<uint8_t>> ReadFileBytes(const std::string& path, uint64_t maxBytes) {
  // Without blocking: a FIFO would hold the open until a writer came.
  auto file = File::OpenReadOnly(path);
  if (!file) return SysResult<std::vector<uint8_t>>::Fail(file.call(), file.error());
  return file.value().ReadAllBytes(maxBytes);
}

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
