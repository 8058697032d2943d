#include "platform/file_handle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace platform {

File::~File() {
  if (fd_ >= 0) ::close(Fd());
}

File::File(File&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(Fd());
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

SysResult<File> File::Open(const std::string& path, int flags, unsigned mode) {
  const int fd = RetryOnInterrupt(
      [&] { return ::open(path.c_str(), flags | O_CLOEXEC, static_cast<mode_t>(mode)); });
  if (fd < 0) return SysResult<File>::Fail("open", errno);
  return SysResult<File>::Ok(File(fd));
}

SysResult<File> File::OpenReadOnly(const std::string& path) {
  return Open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY, 0);
}

SysResult<File> File::OpenForAppend(const std::string& path) {
  return Open(path, O_RDWR | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0);
}

SysResult<File> File::CreateForAppend(const std::string& path, unsigned mode) {
  return Open(path, O_RDWR | O_APPEND | O_CREAT | O_EXCL | O_NOFOLLOW, mode);
}

SysResult<size_t> File::Read(char* buffer, size_t size) {
  const ssize_t got = RetryOnInterrupt([&] { return ::read(Fd(), buffer, size); });
  if (got < 0) return SysResult<size_t>::Fail("read", errno);
  return SysResult<size_t>::Ok(static_cast<size_t>(got));
}

SysStatus File::WriteAll(std::string_view data) {
  while (!data.empty()) {
    const ssize_t put = RetryOnInterrupt([&] { return ::write(Fd(), data.data(), data.size()); });
    if (put < 0) return SysStatus::Fail("write", errno);
    data.remove_prefix(static_cast<size_t>(put));
  }
  return OkStatus();
}

SysStatus File::AppendWhole(std::string_view entry) {
  const ssize_t put = RetryOnInterrupt([&] { return ::write(Fd(), entry.data(), entry.size()); });
  if (put == static_cast<ssize_t>(entry.size())) return OkStatus();
  const int error = put < 0 ? errno : ENOSPC;
  if (put > 0) {
    // Appending leaves the offset just past what this write put down.
    const off_t end = ::lseek(Fd(), 0, SEEK_CUR);
    if (end >= put) RetryOnInterrupt([&] { return ::ftruncate(Fd(), end - put); });
  }
  return SysStatus::Fail("write", error);
}

SysResult<FileKind> File::Kind() const {
  struct stat st {};
  if (::fstat(Fd(), &st) != 0) return SysResult<FileKind>::Fail("fstat", errno);
  if (S_ISREG(st.st_mode)) return SysResult<FileKind>::Ok(FileKind::kRegular);
  if (S_ISDIR(st.st_mode)) return SysResult<FileKind>::Ok(FileKind::kDirectory);
  return SysResult<FileKind>::Ok(FileKind::kOther);
}

SysResult<uint64_t> File::Size() const {
  struct stat st {};
  if (::fstat(Fd(), &st) != 0) return SysResult<uint64_t>::Fail("fstat", errno);
  return SysResult<uint64_t>::Ok(static_cast<uint64_t>(st.st_size));
}

SysResult<std::vector<uint8_t>> File::ReadAllBytes(uint64_t maxBytes) {
  using Result = SysResult<std::vector<uint8_t>>;
  const int fd = Fd();
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

}  // namespace platform
