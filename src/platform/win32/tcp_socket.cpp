#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cerrno>

#include "platform/tcp_socket.h"
#include "platform/win32/errors.h"

namespace platform {

namespace {

SOCKET AsSocket(intptr_t fd) {
  return static_cast<SOCKET>(fd);
}

int SocketErrno() {
  const int error = WSAGetLastError();
  switch (error) {
    case WSAECONNREFUSED:
      return ECONNREFUSED;
    case WSAETIMEDOUT:
      return ETIMEDOUT;
    case WSAEHOSTUNREACH:
      return EHOSTUNREACH;
    case WSAENETUNREACH:
      return ENETUNREACH;
    case WSAECONNRESET:
      return ECONNRESET;
    case WSAEADDRNOTAVAIL:
      return EADDRNOTAVAIL;
    default:
      return EIO;
  }
}

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

// Waits until the socket can be written (a connection made, room to send) or has failed.
bool WaitWritable(SOCKET socket, int timeoutMs) {
  fd_set writable;
  fd_set failed;
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  FD_SET(socket, &writable);
  FD_SET(socket, &failed);
  timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  return select(0, nullptr, &writable, &failed, timeoutMs < 0 ? nullptr : &limit) > 0;
}

}  // namespace

std::optional<SocketStartFailure> StartSockets() {
  WSADATA data{};
  const int error = WSAStartup(MAKEWORD(2, 2), &data);
  if (error == 0) return std::nullopt;
  return SocketStartFailure{error, static_cast<int>(GetLastError())};
}

TcpSocket::~TcpSocket() {
  Close();
}

SysStatus TcpSocket::Create() {
  Close();
  const SOCKET created = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (created == INVALID_SOCKET) return SysStatus::Fail("socket", SocketErrno());
  fd_ = static_cast<intptr_t>(created);
  return OkStatus();
}

SysStatus TcpSocket::Connect(const std::string& host, uint16_t port, int timeoutMs) {
  if (fd_ == kNoSocket) return SysStatus::Fail("connect", EBADF);
  auto address = Resolve(host);
  if (!address) return SysStatus::Fail(address.call(), address.error());
  if (!IsUnicastHostAddress(ntohl(address.value().s_addr))) {
    return SysStatus::Fail("connect", EADDRNOTAVAIL);
  }
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(port);
  peer.sin_addr = address.value();

  // Connect without blocking so that an unreachable printer costs at most the time-out.
  u_long nonBlocking = 1;
  ioctlsocket(AsSocket(fd_), FIONBIO, &nonBlocking);
  if (connect(AsSocket(fd_), reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0) {
    if (WSAGetLastError() != WSAEWOULDBLOCK) return SysStatus::Fail("connect", SocketErrno());
    if (!WaitWritable(AsSocket(fd_), timeoutMs)) return SysStatus::Fail("connect", ETIMEDOUT);
    int error = 0;
    int len = sizeof error;
    getsockopt(AsSocket(fd_), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &len);
    if (error != 0) {
      WSASetLastError(error);
      return SysStatus::Fail("connect", SocketErrno());
    }
  }
  BOOL one = TRUE;
  setsockopt(AsSocket(fd_), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one),
             sizeof one);
  return OkStatus();
}

SysResult<size_t> TcpSocket::SendAll(const uint8_t* data, size_t length, int stallTimeoutMs) {
  if (fd_ == kNoSocket) return SysResult<size_t>::Fail("send", EBADF);
  // A blocking send bounded by the send time-out hands the whole image to the stack in few
  // calls; a send that moves nothing for that long fails.
  u_long blocking = 0;
  ioctlsocket(AsSocket(fd_), FIONBIO, &blocking);
  const DWORD timeout = stallTimeoutMs < 0 ? 0 : static_cast<DWORD>(stallTimeoutMs);
  setsockopt(AsSocket(fd_), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout),
             sizeof timeout);
  size_t sent = 0;
  while (sent < length) {
    const int ask = static_cast<int>(std::min<size_t>(length - sent, 1u << 30));
    const int n = send(AsSocket(fd_), reinterpret_cast<const char*>(data + sent), ask, 0);
    if (n == SOCKET_ERROR) return SysResult<size_t>::Fail("send", SocketErrno());
    if (n == 0) return SysResult<size_t>::Fail("send", EIO);
    sent += static_cast<size_t>(n);
  }
  return SysResult<size_t>::Ok(sent);
}

void TcpSocket::Close() {
  if (fd_ != kNoSocket) {
    closesocket(AsSocket(fd_));
    fd_ = kNoSocket;
  }
}

}  // namespace platform
