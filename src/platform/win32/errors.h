#pragma once

#include <cstdint>

namespace platform {

// The errno value that means what the Windows error `code` means, so that the program's
// own code sees one kind of failure on both systems (EIO for anything unusual).
int ErrnoFromWin32(uint32_t code);

// ErrnoFromWin32 of the calling thread's last error.
int LastErrno();

}  // namespace platform
