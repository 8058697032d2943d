#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sys_result.h"

namespace platform {

// Reads a whole regular file, opened for reading only and without blocking, into memory
// with one allocation of the size the opened file has. Anything else (a FIFO, pipe,
// device, socket or directory) is refused at once, and so is a file longer than `maxBytes`
// (EFBIG), before anything is allocated.
SysResult<std::vector<uint8_t>> ReadFileBytes(const std::string& path, uint64_t maxBytes);

// Creates or empties the regular file `path` and writes `data` to it, without blocking; a
// link, FIFO or device at `path` is neither followed nor written.
SysStatus WriteFileBytes(const std::string& path, const uint8_t* data, size_t length);

// Removes a regular file; a missing file is not an error. Anything else at `path` (a link,
// a FIFO, a directory) is left alone.
SysStatus RemoveFile(const std::string& path);

}  // namespace platform
