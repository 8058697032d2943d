#include "platform/posix/closing_wait.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace platform::posix {

std::optional<unsigned short> SkipClosingWait(int fd) {
  serial_struct serial{};
  if (::ioctl(fd, TIOCGSERIAL, &serial) != 0) return std::nullopt;
  const unsigned short own = serial.closing_wait;
  if (own == ASYNC_CLOSING_WAIT_NONE) return std::nullopt;
  serial.closing_wait = ASYNC_CLOSING_WAIT_NONE;
  if (::ioctl(fd, TIOCSSERIAL, &serial) != 0) return std::nullopt;
  return own;
}

void RestoreClosingWait(const std::string& devicePath, unsigned short closingWait) {
  // The close above ended the port's output, so this short open and close waits for nothing.
  const int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  serial_struct serial{};
  if (::ioctl(fd, TIOCGSERIAL, &serial) == 0) {
    serial.closing_wait = closingWait;
    ::ioctl(fd, TIOCSSERIAL, &serial);
  }
  ::close(fd);
}

}  // namespace platform::posix
