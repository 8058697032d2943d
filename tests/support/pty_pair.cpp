#include "support/pty_pair.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace testsupport {

PtyPair::PtyPair() {
  int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  char name[256] = {};
  if (fd < 0 || ::grantpt(fd) != 0 || ::unlockpt(fd) != 0 ||
      ::ptsname_r(fd, name, sizeof name) != 0) {
    if (fd >= 0) ::close(fd);
    return;
  }
  master_ = fd;
  slavePath_ = name;
}

PtyPair::~PtyPair() {
  ReleaseSlave();
  if (master_ >= 0) ::close(master_);
}

bool PtyPair::HoldSlaveOpen() {
  if (slaveHolder_ >= 0) return true;
  slaveHolder_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slaveHolder_ < 0) return false;
  termios mode{};
  ::tcgetattr(slaveHolder_, &mode);
  ::cfmakeraw(&mode);
  return ::tcsetattr(slaveHolder_, TCSANOW, &mode) == 0;
}

void PtyPair::ReleaseSlave() {
  if (slaveHolder_ >= 0) ::close(slaveHolder_);
  slaveHolder_ = -1;
}

bool PtyPair::WriteToMaster(const void* data, size_t length) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  size_t sent = 0;
  while (sent < length) {
    ssize_t n = ::write(master_, bytes + sent, length - sent);
    if (n > 0) {
      sent += static_cast<size_t>(n);
    } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
      pollfd entry{master_, POLLOUT, 0};
      if (::poll(&entry, 1, 2000) <= 0) return false;
    } else {
      return false;
    }
  }
  return true;
}

std::vector<uint8_t> PtyPair::ReadFromMaster(size_t length, int timeoutMs) {
  std::vector<uint8_t> got;
  uint8_t chunk[65536];
  while (got.size() < length) {
    pollfd entry{master_, POLLIN, 0};
    int n = ::poll(&entry, 1, timeoutMs);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    ssize_t r = ::read(master_, chunk, std::min(sizeof chunk, length - got.size()));
    if (r < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    if (r <= 0) break;
    got.insert(got.end(), chunk, chunk + r);
  }
  return got;
}

}  // namespace testsupport
