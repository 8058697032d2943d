#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "links.h"
#include "transfer_loop.h"

namespace {

class ScopedFd {
 public:
  explicit ScopedFd(int fd) : fd_(fd) {}
  ~ScopedFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  ScopedFd(const ScopedFd&) = delete;
  ScopedFd& operator=(const ScopedFd&) = delete;
  int get() const { return fd_; }
  void Reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

// The answer of a printer that talks back: bytes the peer has to read (or lose its
// connection to a reset when it closes without reading them).
void SendAnswer(int fd, uint64_t count) {
  const std::string chunk(4096, 'A');
  while (count > 0) {
    const size_t ask = static_cast<size_t>(std::min<uint64_t>(count, chunk.size()));
    const ssize_t n = ::send(fd, chunk.data(), ask, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      count -= static_cast<uint64_t>(n);
    } else if (n < 0 && errno == EAGAIN) {
      pollfd entry{fd, POLLOUT, 0};
      if (::poll(&entry, 1, 1000) <= 0) return;
    } else if (!(n < 0 && errno == EINTR)) {
      return;
    }
  }
}

int Fail(const char* what) {
  std::fprintf(stderr, "qlx-printer-sim: %s: %s\n", what, std::strerror(errno));
  return 1;
}

}  // namespace

int ServeTcp(const SimOptions& options, int signalFd, Capture& capture) {
  ScopedFd listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (listener.get() < 0) return Fail("socket");
  int on = 1;
  ::setsockopt(listener.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(options.tcpPort);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) < 0) {
    return Fail("bind");
  }
  if (::listen(listener.get(), 1) < 0) return Fail("listen");
  socklen_t length = sizeof address;
  if (::getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &length) < 0) {
    return Fail("getsockname");
  }
  PrintLine("ready 127.0.0.1:" + std::to_string(ntohs(address.sin_port)));

  pollfd entries[2] = {{signalFd, POLLIN, 0}, {listener.get(), POLLIN, 0}};
  for (;;) {
    int n = ::poll(entries, 2, -1);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Fail("poll");
    if (entries[0].revents != 0) return 0;
    if (entries[1].revents != 0) break;
  }
  ScopedFd connection(::accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
  if (connection.get() < 0) return Fail("accept");
  // One printer, one host: nobody else gets in while this connection lasts.
  listener.Reset();
  SendAnswer(connection.get(), options.sendBytes);
  TransferLoop(options, signalFd, capture).Run(connection.get(), -1, nullptr);
  if (options.resetAfter && capture.ByteCount() >= *options.resetAfter) {
    // A zero linger turns the close into a reset.
    linger abort{1, 0};
    ::setsockopt(connection.get(), SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
  }
  return 0;
}
