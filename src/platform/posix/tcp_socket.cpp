#include "platform/tcp_socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "platform/host_lookup.h"
#include "platform/stop_request.h"
#include "platform/tcp_waits.h"

namespace platform {

namespace {

using namespace tcpwaits;

// Sleeps until `events` on fd or at most `ms`; false on a stop request.
bool WaitSlice(int fd, short events, int ms) {
  pollfd p{fd, events, 0};
  ::poll(&p, events != 0 ? 1 : 0, std::clamp(ms, 0, kStopCheckMs));
  return !StopRequested();
}

int PendingSocketError(int fd) {
  int error = 0;
  socklen_t len = sizeof error;
  if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0) return errno;
  return error;
}

bool SystemLookUp(const std::string& host, uint32_t& address) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
  address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
  freeaddrinfo(found);
  return true;
}

}  // namespace

std::optional<SocketStartFailure> StartSockets() {
  return std::nullopt;
}

TcpSocket::~TcpSocket() {
  Close();
}

SysStatus TcpSocket::Create() {
  Close();
  fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd_ < 0) return SysStatus::Fail("socket", errno);
  bytesReceived_ = 0;
  bytesHanded_ = 0;
  sendingEnded_ = false;
  delivered_ = false;
  inputEnded_ = false;
  return OkStatus();
}

SysResult<uint32_t> TcpSocket::Resolve(const std::string& host, int timeoutMs) {
  in_addr address{};
  if (inet_pton(AF_INET, host.c_str(), &address) == 1) {
    return SysResult<uint32_t>::Ok(ntohl(address.s_addr));
  }
  auto found = LookUpHostWithin(host, timeoutMs, SystemLookUp);
  if (!found) return found;
  return SysResult<uint32_t>::Ok(ntohl(found.value()));
}

SysStatus TcpSocket::Connect(const std::string& host, uint16_t port, int timeoutMs) {
  if (fd_ < 0) return SysStatus::Fail("connect", EBADF);
  const auto start = SteadyClock::now();
  auto address = Destination(host, timeoutMs);
  if (!address) return SysStatus::Fail(address.call(), address.error());
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(port);
  peer.sin_addr.s_addr = htonl(address.value());

  const int fd = static_cast<int>(fd_);
  if (connect(fd, reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0) {
    if (errno != EINPROGRESS && errno != EINTR) return SysStatus::Fail("connect", errno);
    for (;;) {
      pollfd p{fd, POLLOUT, 0};
      const int left = timeoutMs - MsSince(start);
      if (left <= 0) return SysStatus::Fail("connect", ETIMEDOUT);
      if (::poll(&p, 1, std::min(left, kStopCheckMs)) > 0) break;
      if (StopRequested()) return SysStatus::Fail("connect", EINTR);
    }
    if (const int error = PendingSocketError(fd); error != 0)
      return SysStatus::Fail("connect", error);
  }
  int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  int buffer = kSendBufferBytes;
  setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
  return OkStatus();
}

SysStatus TcpSocket::DrainInput() {
  char buffer[4096];
  while (!inputEnded_) {
    const ssize_t n = recv(static_cast<int>(fd_), buffer, sizeof buffer, MSG_DONTWAIT);
    if (n > 0) {
      bytesReceived_ += static_cast<uint64_t>(n);
      continue;
    }
    if (n == 0) {
      inputEnded_ = true;
      break;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) break;
    return SysStatus::Fail("recv", errno);
  }
  return OkStatus();
}

SysResult<size_t> TcpSocket::SendAll(const uint8_t* data, size_t length, int stallTimeoutMs) {
  if (fd_ < 0) return SysResult<size_t>::Fail("send", EBADF);
  const int fd = static_cast<int>(fd_);
  size_t sent = 0;
  auto lastProgress = SteadyClock::now();
  for (;;) {
    if (auto drained = DrainInput(); !drained)
      return SysResult<size_t>::Fail("recv", drained.error());
    if (sent == length) break;
    if (StopRequested()) return SysResult<size_t>::Fail("send", EINTR);
    const ssize_t n = send(fd, data + sent, length - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      sent += static_cast<size_t>(n);
      bytesHanded_ += static_cast<uint64_t>(n);
      lastProgress = SteadyClock::now();
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
      return SysResult<size_t>::Fail("send", errno);
    const int left = stallTimeoutMs - MsSince(lastProgress);
    if (left <= 0) return SysResult<size_t>::Fail("send", ETIMEDOUT);
    WaitSlice(fd, static_cast<short>(POLLOUT | (inputEnded_ ? 0 : POLLIN)), left);
  }
  return SysResult<size_t>::Ok(sent);
}

SysStatus TcpSocket::EndSending() {
  if (fd_ < 0) return SysStatus::Fail("shutdown", EBADF);
  if (shutdown(static_cast<int>(fd_), SHUT_WR) != 0) return SysStatus::Fail("shutdown", errno);
  sendingEnded_ = true;
  lastPending_ = -1;
  lastProgress_ = SteadyClock::now();
  return OkStatus();
}

SysResult<bool> TcpSocket::CheckDelivered(int stallTimeoutMs, int waitMs) {
  if (fd_ < 0) return SysResult<bool>::Fail("send", EBADF);
  const int fd = static_cast<int>(fd_);
  for (bool waited = false;; waited = true) {
    if (auto drained = DrainInput(); !drained) {
      return SysResult<bool>::Fail(drained.call(), drained.error());
    }
    if (const int error = PendingSocketError(fd); error != 0) {
      return SysResult<bool>::Fail("send", error);
    }
    // Bytes sent but not yet acknowledged (and the end of the stream) by the peer.
    int queued = 0;
    if (ioctl(fd, SIOCOUTQ, &queued) != 0) return SysResult<bool>::Fail("ioctl", errno);
    const auto judged = JudgeDelivery(queued, stallTimeoutMs);
    if (!judged) return SysResult<bool>::Fail(judged.call(), judged.error());
    const int left = judged.value();
    if (left == 0) return SysResult<bool>::Ok(true);
    if (waited || waitMs <= 0) return SysResult<bool>::Ok(false);
    // The wait sleeps, waking early for input to drain.
    if (!WaitSlice(fd, inputEnded_ ? 0 : POLLIN, std::min(left, waitMs))) {
      return SysResult<bool>::Fail("send", EINTR);
    }
  }
}

uint64_t TcpSocket::BytesAcknowledged() const {
  if (delivered_) return bytesHanded_;
  if (fd_ < 0) return 0;
  // SIOCOUTQ counts from the sequence numbers (sent minus acknowledged), which a reset
  // leaves as they were; an ended sending side adds its FIN to the count until acknowledged.
  int queued = 0;
  if (ioctl(static_cast<int>(fd_), SIOCOUTQ, &queued) != 0 || queued < 0) return 0;
  uint64_t pending = static_cast<uint64_t>(queued);
  if (sendingEnded_ && pending > 0) --pending;
  return bytesHanded_ - std::min(pending, bytesHanded_);
}

void TcpSocket::Close() {
  if (fd_ >= 0) {
    // Input left unread would turn the close into a reset.
    DrainInput();
    ::close(static_cast<int>(fd_));
    fd_ = -1;
  }
}

}  // namespace platform
