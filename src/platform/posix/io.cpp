#include "platform/posix/io.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

namespace platform::posix {

SysResult<int> Open(const std::string& path, int flags) {
  int fd = RetryOnInterrupt([&] { return ::open(path.c_str(), flags | O_CLOEXEC); });
  if (fd < 0) return SysResult<int>::Fail("open", errno);
  return SysResult<int>::Ok(fd);
}

// A close interrupted by a signal has still released the descriptor on Linux, so it is
// never repeated.
void Close(int fd) {
  if (fd >= 0) ::close(fd);
}

SysResult<size_t> Read(int fd, void* buffer, size_t length) {
  ssize_t n = RetryOnInterrupt([&] { return ::read(fd, buffer, length); });
  if (n < 0) return SysResult<size_t>::Fail("read", errno);
  return SysResult<size_t>::Ok(static_cast<size_t>(n));
}

SysResult<size_t> Write(int fd, const void* data, size_t length) {
  ssize_t n = RetryOnInterrupt([&] { return ::write(fd, data, length); });
  if (n < 0) return SysResult<size_t>::Fail("write", errno);
  return SysResult<size_t>::Ok(static_cast<size_t>(n));
}

SysResult<short> Poll(int fd, short events, int timeoutMs) {
  pollfd entry{fd, events, 0};
  int n = RetryOnInterrupt([&] { return ::poll(&entry, 1, timeoutMs); });
  if (n < 0) return SysResult<short>::Fail("poll", errno);
  return SysResult<short>::Ok(n == 0 ? short{0} : entry.revents);
}

SysStatus LockExclusive(int fd) {
  if (RetryOnInterrupt([&] { return ::flock(fd, LOCK_EX | LOCK_NB); }) < 0) {
    return SysStatus::Fail("flock", errno);
  }
  return OkStatus();
}

SysStatus IoctlNoArg(int fd, unsigned long request, const char* name) {
  if (RetryOnInterrupt([&] { return ::ioctl(fd, request); }) < 0) {
    return SysStatus::Fail(name, errno);
  }
  return OkStatus();
}

SysStatus IoctlInt(int fd, unsigned long request, int value, const char* name) {
  if (RetryOnInterrupt([&] { return ::ioctl(fd, request, value); }) < 0) {
    return SysStatus::Fail(name, errno);
  }
  return OkStatus();
}

SysResult<int> IoctlGetInt(int fd, unsigned long request, const char* name) {
  int value = 0;
  if (RetryOnInterrupt([&] { return ::ioctl(fd, request, &value); }) < 0) {
    return SysResult<int>::Fail(name, errno);
  }
  return SysResult<int>::Ok(value);
}

SysStatus IoctlPointer(int fd, unsigned long request, void* argument, const char* name) {
  if (RetryOnInterrupt([&] { return ::ioctl(fd, request, argument); }) < 0) {
    return SysStatus::Fail(name, errno);
  }
  return OkStatus();
}

}  // namespace platform::posix
