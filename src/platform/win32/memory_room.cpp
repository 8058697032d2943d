#include "platform/memory_room.h"

#include <windows.h>

#include <algorithm>
#include <limits>

namespace platform {

uint64_t MemoryRoom() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return std::numeric_limits<uint64_t>::max();
  // A 32-bit process runs out of address space long before the machine runs out of memory.
  return std::min<uint64_t>(status.ullAvailVirtual, status.ullAvailPageFile);
}

}  // namespace platform
