#pragma once

#include <poll.h>
#include <sys/types.h>

#include <cstddef>
#include <string>

#include "platform/sys_result.h"

// Thin wrappers over the POSIX calls the port layer makes. Each call is wrapped once here,
// retried on EINTR where that is safe, and reports failure with the call's name and errno.
namespace platform::posix {

SysResult<int> Open(const std::string& path, int flags);
void Close(int fd);
SysResult<size_t> Read(int fd, void* buffer, size_t length);
SysResult<size_t> Write(int fd, const void* data, size_t length);
// Waits up to timeoutMs (negative: without limit) for `events` on fd; returns the revents
// seen, 0 when the time ran out.
// A blocking write on a descriptor that is otherwise non-blocking: returns once the driver
// has taken (for a printer: transferred) every byte, fails with ETIMEDOUT when it took
// nothing for stallMs (negative: without limit) and with EINTR on a stop request.
SysResult<size_t> WriteBlocking(int fd, const void* data, size_t length, int64_t stallMs);
SysResult<short> Poll(int fd, short events, int timeoutMs);
SysStatus LockExclusive(int fd);
SysStatus IoctlNoArg(int fd, unsigned long request, const char* name);
SysStatus IoctlInt(int fd, unsigned long request, int value, const char* name);
SysResult<int> IoctlGetInt(int fd, unsigned long request, const char* name);
SysStatus IoctlPointer(int fd, unsigned long request, void* argument, const char* name);

}  // namespace platform::posix
