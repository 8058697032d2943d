#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "platform/tcp_socket.h"

namespace platform {

std::optional<SocketStartFailure> StartSockets() {
  return std::nullopt;
}

TcpSocket::~TcpSocket() {
  Close();
}

SysStatus TcpSocket::Create() {
  Close();
  fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) return SysStatus::Fail("socket", errno);
  return OkStatus();
}

namespace {
SysResult<in_addr> Resolve(const std::string& host) {
  in_addr address{};
  if (inet_pton(AF_INET, host.c_str(), &address) == 1) return SysResult<in_addr>::Ok(address);
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (host.empty() || getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) {
    return SysResult<in_addr>::Fail("getaddrinfo", EHOSTUNREACH);
  }
  address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
  freeaddrinfo(found);
  return SysResult<in_addr>::Ok(address);
}

bool WaitFor(int fd, short events, int timeoutMs) {
  pollfd p{fd, events, 0};
  int rc = RetryOnInterrupt([&] { return poll(&p, 1, timeoutMs); });
  return rc > 0;
}
}  // namespace

SysStatus TcpSocket::Connect(const std::string& host, uint16_t port, int timeoutMs) {
  if (fd_ < 0) return SysStatus::Fail("connect", EBADF);
  auto address = Resolve(host);
  if (!address) return SysStatus::Fail(address.call(), address.error());
  if (!IsUnicastHostAddress(ntohl(address.value().s_addr))) return SysStatus::Fail("connect", EADDRNOTAVAIL);
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(port);
  peer.sin_addr = address.value();

  // Connect without blocking so that an unreachable printer costs at most the time-out.
  const int flags = fcntl(fd_, F_GETFL);
  fcntl(fd_, F_SETFL, flags | O_NONBLOCK);
  int rc = connect(fd_, reinterpret_cast<sockaddr*>(&peer), sizeof peer);
  if (rc != 0 && errno != EINPROGRESS && errno != EINTR) return SysStatus::Fail("connect", errno);
  if (rc != 0) {
    if (!WaitFor(fd_, POLLOUT, timeoutMs)) return SysStatus::Fail("connect", ETIMEDOUT);
    int error = 0;
    socklen_t len = sizeof error;
    getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &len);
    if (error != 0) return SysStatus::Fail("connect", error);
  }
  int one = 1;
  setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return OkStatus();
}

SysResult<size_t> TcpSocket::SendAll(const uint8_t* data, size_t length, int stallTimeoutMs) {
  if (fd_ < 0) return SysResult<size_t>::Fail("send", EBADF);
  size_t sent = 0;
  while (sent < length) {
    ssize_t n = send(fd_, data + sent, length - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
      return SysResult<size_t>::Fail("send", errno);
    if (!WaitFor(fd_, POLLOUT, stallTimeoutMs)) return SysResult<size_t>::Fail("send", ETIMEDOUT);
  }
  return SysResult<size_t>::Ok(sent);
}

void TcpSocket::Close() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

}  // namespace platform
