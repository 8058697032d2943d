#include "transfer_loop.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace {
constexpr size_t kReadBytes = 65536;
// A slow printer takes its bytes in hundredths of its rate.
constexpr uint64_t kSlowSlicesPerSecond = 100;
}  // namespace

TransferLoop::TransferLoop(const SimOptions& options, int signalFd, Capture& capture)
    : options_(options),
      signalFd_(signalFd),
      capture_(capture),
      responder_(options.versionText, options.fpgaDigit) {}

bool TransferLoop::PauseUnlessSignalled(int ms) {
  pollfd entry{signalFd_, POLLIN, 0};
  int n;
  do {
    n = ::poll(&entry, 1, ms);
  } while (n < 0 && errno == EINTR);
  return n == 0;
}

size_t TransferLoop::NextReadSize() const {
  uint64_t limit = kReadBytes;
  if (options_.bytesPerSecond > 0) {
    limit = std::max<uint64_t>(1, options_.bytesPerSecond / kSlowSlicesPerSecond);
  }
  for (auto cap : {options_.stopAfter, options_.closeAfter, options_.resetAfter}) {
    if (cap) limit = std::min(limit, *cap - std::min(*cap, capture_.ByteCount()));
  }
  return static_cast<size_t>(std::min<uint64_t>(limit, kReadBytes));
}

void TransferLoop::SendReply(int replyFd, const std::vector<uint8_t>& reply) {
  if (replyFd < 0 || reply.empty() || options_.silent) return;
  size_t sent = 0;
  while (sent < reply.size()) {
    ssize_t n = ::write(replyFd, reply.data() + sent, reply.size() - sent);
    if (n > 0) {
      sent += static_cast<size_t>(n);
    } else if (n < 0 && errno == EAGAIN) {
      pollfd entry{replyFd, POLLOUT, 0};
      if (::poll(&entry, 1, 1000) <= 0) return;
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return;
    }
  }
}

void TransferLoop::WaitForHangup(int readFd) {
  // Nothing more is read; only the peer's going away (or a signal) ends the wait.
  pollfd entries[2] = {{signalFd_, POLLIN, 0}, {readFd, POLLRDHUP, 0}};
  for (;;) {
    int n = ::poll(entries, 2, -1);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || entries[0].revents != 0 || entries[1].revents != 0) return;
  }
}

void TransferLoop::Run(int readFd, int replyFd, const std::function<void()>& onFirstData) {
  std::chrono::steady_clock::time_point firstData{};
  bool sawData = false;
  std::vector<uint8_t> buffer(kReadBytes);
  for (;;) {
    if (options_.closeAfter && capture_.ByteCount() >= *options_.closeAfter) return;
    if (options_.resetAfter && capture_.ByteCount() >= *options_.resetAfter) return;
    if (options_.stopAfter && capture_.ByteCount() >= *options_.stopAfter) {
      WaitForHangup(readFd);
      return;
    }
    pollfd entries[2] = {{signalFd_, POLLIN, 0}, {readFd, POLLIN, 0}};
    int n = ::poll(entries, 2, -1);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || entries[0].revents != 0) return;
    ssize_t got = ::read(readFd, buffer.data(), NextReadSize());
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    // End of file (socket, FIFO without writers) or EIO (pseudo-terminal whose other
    // side was closed): the peer has gone.
    if (got <= 0) return;
    if (!sawData) {
      sawData = true;
      firstData = std::chrono::steady_clock::now();
      if (onFirstData) onFirstData();
    }
    const size_t length = static_cast<size_t>(got);
    capture_.Store(buffer.data(), length);
    SendReply(replyFd, responder_.Feed(buffer.data(), length));
    if (options_.bytesPerSecond > 0) {
      const auto due = firstData + std::chrono::milliseconds(capture_.ByteCount() * 1000 /
                                                             options_.bytesPerSecond);
      const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
          due - std::chrono::steady_clock::now());
      if (wait.count() > 0 && !PauseUnlessSignalled(static_cast<int>(wait.count()))) return;
    }
  }
}
