#pragma once

namespace platform {

// True when `fd` is open on a terminal (a tty or a pseudo-terminal).
bool IsTerminal(int fd);

}  // namespace platform
