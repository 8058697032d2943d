#include "link_drain.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <limits>
#include <vector>

namespace {
constexpr int kQuietMs = 300;
// A host that keeps sending must not keep the simulator from ending.
constexpr auto kLongestTake = std::chrono::seconds(5);
}  // namespace

void TakeWhatArrives(int fd, const SimOptions& options, Capture& capture) {
  uint64_t limit = std::numeric_limits<uint64_t>::max();
  for (auto cap : {options.stopAfter, options.closeAfter}) {
    if (cap) limit = std::min(limit, *cap);
  }
  std::vector<uint8_t> buffer(65536);
  const auto end = std::chrono::steady_clock::now() + kLongestTake;
  while (capture.ByteCount() < limit && std::chrono::steady_clock::now() < end) {
    pollfd entry{fd, POLLIN, 0};
    if (::poll(&entry, 1, kQuietMs) <= 0 || (entry.revents & POLLIN) == 0) return;
    const uint64_t room = std::min<uint64_t>(buffer.size(), limit - capture.ByteCount());
    const ssize_t got = ::read(fd, buffer.data(), static_cast<size_t>(room));
    if (got <= 0) return;
    capture.Store(buffer.data(), static_cast<size_t>(got));
  }
}
