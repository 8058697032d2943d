#pragma once

#include <cstdint>

namespace platform {

// About how many more bytes this process may allocate: the least of what its address-space
// and data limits leave (RLIMIT_AS, RLIMIT_DATA on Linux) and what the machine has available
// (free memory and swap; on Windows the address space and the commit limit left). UINT64_MAX
// when nothing bounds it that can be read.
uint64_t MemoryRoom();

}  // namespace platform
