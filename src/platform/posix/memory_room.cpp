#include "platform/memory_room.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

namespace platform {

namespace {

constexpr uint64_t kUnbounded = std::numeric_limits<uint64_t>::max();

// What the soft limit `resource` leaves above `used` bytes.
uint64_t LeftUnder(int resource, uint64_t used) {
  rlimit limit{};
  if (::getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kUnbounded;
  const auto cap = static_cast<uint64_t>(limit.rlim_cur);
  return cap > used ? cap - used : 0;
}

// MemAvailable plus SwapFree of /proc/meminfo, in bytes.
uint64_t MachineAvailable() {
  std::FILE* info = std::fopen("/proc/meminfo", "re");
  if (!info) return kUnbounded;
  uint64_t available = 0;
  bool seen = false;
  char line[256];
  while (std::fgets(line, sizeof line, info)) {
    unsigned long long kib = 0;
    if (std::sscanf(line, "MemAvailable: %llu kB", &kib) == 1 ||
        std::sscanf(line, "SwapFree: %llu kB", &kib) == 1) {
      available += static_cast<uint64_t>(kib) * 1024;
      seen = true;
    }
  }
  std::fclose(info);
  return seen ? available : kUnbounded;
}

}  // namespace

uint64_t MemoryRoom() {
  // /proc/self/statm: the whole address space and the data (heap and stacks), in pages.
  unsigned long long sizePages = 0;
  unsigned long long dataPages = 0;
  if (std::FILE* statm = std::fopen("/proc/self/statm", "re")) {
    unsigned long long skip = 0;
    if (std::fscanf(statm, "%llu %llu %llu %llu %llu %llu", &sizePages, &skip, &skip, &skip, &skip,
                    &dataPages) != 6) {
      sizePages = dataPages = 0;
    }
    std::fclose(statm);
  }
  const auto page = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
  return std::min({LeftUnder(RLIMIT_AS, sizePages * page), LeftUnder(RLIMIT_DATA, dataPages * page),
                   MachineAvailable()});
}

}  // namespace platform
