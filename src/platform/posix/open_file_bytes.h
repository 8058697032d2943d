#pragma once

#include <cstdint>
#include <vector>

#include "platform/sys_result.h"

namespace platform {

// ReadFileBytes on a descriptor already open for reading: a regular file of at most
// `maxBytes`, else a failure before anything is allocated.
SysResult<std::vector<uint8_t>> ReadOpenFileBytes(int fd, uint64_t maxBytes);

}  // namespace platform
