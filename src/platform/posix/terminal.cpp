#include "platform/terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/sys_result.h"

namespace platform {

bool IsTerminal(int fd) {
  return ::isatty(fd) == 1;
}

void WriteText(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t put = RetryOnInterrupt([&] { return ::write(fd, text.data(), text.size()); });
    if (put <= 0) return;
    text.remove_prefix(static_cast<size_t>(put));
  }
}

int TerminalColumns(int fd) {
  winsize size{};
  if (::ioctl(fd, TIOCGWINSZ, &size) != 0) return 0;
  return size.ws_col;
}

}  // namespace platform
