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
constexpr int kLongestTakeMs = 5000;
}  // namespace

void TakeFor(int fd, int signalFd, const SimOptions& options, Capture& capture, int quietMs,
             int longestMs) {
  uint64_t limit = std::numeric_limits<uint64_t>::max();
  for (auto cap : {options.stopAfter, options.closeAfter}) {
    if (cap) limit = std::min(limit, *cap);
  }
  std::vector<uint8_t> buffer(65536);
  using Clock = std::chrono::steady_clock;
  const auto end = Clock::now() + std::chrono::milliseconds(longestMs);
  while (capture.ByteCount() < limit) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    if (left <= 0) return;
    pollfd entries[2] = {{fd, POLLIN, 0}, {signalFd, POLLIN, 0}};
    const int wait = static_cast<int>(std::min<int64_t>(left, quietMs));
    // Nothing within the wait (quiet, or the time is up), a stop signal, or an error.
    if (::poll(entries, signalFd < 0 ? 1 : 2, wait) <= 0 || entries[1].revents != 0 ||
        (entries[0].revents & POLLIN) == 0) {
      return;
    }
    const uint64_t room = std::min<uint64_t>(buffer.size(), limit - capture.ByteCount());
    const ssize_t got = ::read(fd, buffer.data(), static_cast<size_t>(room));
    if (got <= 0) return;
    capture.Store(buffer.data(), static_cast<size_t>(got));
  }
}

void TakeWhatArrives(int fd, const SimOptions& options, Capture& capture) {
  TakeFor(fd, -1, options, capture, kQuietMs, kLongestTakeMs);
}
