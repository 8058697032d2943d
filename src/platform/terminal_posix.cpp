#include <unistd.h>

#include "platform/terminal.h"

namespace platform {

bool IsTerminal(int fd) {
  return ::isatty(fd) == 1;
}

}  // namespace platform
