#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sys_result.h"

namespace platform {

// Reads a whole file, opened for reading only, into memory with one allocation of its
// size. A file longer than `maxBytes` is refused (EFBIG) before anything is allocated.
SysResult<std::vector<uint8_t>> ReadFileBytes(const std::string& path, uint64_t maxBytes);

// Creates or empties `path` and writes `data` to it; a link at `path` is not followed.
SysStatus WriteFileBytes(const std::string& path, const uint8_t* data, size_t length);

// Removes a file; a missing file is not an error.
SysStatus RemoveFile(const std::string& path);

}  // namespace platform
