#pragma once

#include <optional>
#include <string>

namespace platform::posix {

// A serial driver waits at close, up to its port's closing_wait (30 s unless set), for output
// that has not left. After a failed or stopped write that output is worthless: the wait is
// turned off just before the close, and the port's own value put back just after it.
// Changing it takes the system administrator's right; without it the driver's wait stays.

// Turns the wait off on the open line `fd`; answers the value to put back, if it changed.
std::optional<unsigned short> SkipClosingWait(int fd);
// Puts `closingWait` back on the port at `devicePath`, once the line is closed.
void RestoreClosingWait(const std::string& devicePath, unsigned short closingWait);

}  // namespace platform::posix
