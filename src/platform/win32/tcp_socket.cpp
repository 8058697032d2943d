// The TCP information of a socket is declared for Windows 10 1703 and later.
#ifndef NTDDI_VERSION
#define NTDDI_VERSION 0x0A000003
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
// Needs the two above first.
#include <mstcpip.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "platform/host_lookup.h"
#include "platform/stop_request.h"
#include "platform/tcp_socket.h"
#include "platform/tcp_waits.h"
#include "platform/win32/errors.h"

namespace platform {

namespace {

// The send buffer at the end of a download over a connection whose TCP figures the system
// does not give: writable again, it holds at most a few KiB.
constexpr int kDrainSendBufferBytes = 8 * 1024;

SOCKET AsSocket(intptr_t fd) {
  return static_cast<SOCKET>(fd);
}

// The connection's own TCP figures, where the system gives them (Windows 10 1703 and later).
std::optional<tcpwaits::TcpSendFigures> SendFigures(SOCKET socket) {
  DWORD version = 0;
  TCP_INFO_v0 info{};
  DWORD got = 0;
  if (WSAIoctl(socket, SIO_TCP_INFO, &version, sizeof version, &info, sizeof info, &got, nullptr,
               nullptr) != 0) {
    return std::nullopt;
  }
  return tcpwaits::TcpSendFigures{info.BytesOut, info.BytesRetrans, info.BytesInFlight};
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
    case WSAECONNABORTED:
    case WSAESHUTDOWN:
    case WSAENOTCONN:
      return EPIPE;
    default:
      return EIO;
  }
}

using namespace tcpwaits;

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

// Waits at most `ms` (one slice) until the socket can be written (when `writable`), has
// input, or has failed.
void WaitSlice(SOCKET socket, bool writable, bool readable, int ms) {
  fd_set writeSet;
  fd_set readSet;
  fd_set failed;
  FD_ZERO(&writeSet);
  FD_ZERO(&readSet);
  FD_ZERO(&failed);
  if (writable) FD_SET(socket, &writeSet);
  if (readable) FD_SET(socket, &readSet);
  FD_SET(socket, &failed);
  ms = std::clamp(ms, 0, kStopCheckMs);
  timeval limit{ms / 1000, (ms % 1000) * 1000};
  select(0, &readSet, &writeSet, &failed, &limit);
}

bool Writable(SOCKET socket) {
  fd_set writeSet;
  FD_ZERO(&writeSet);
  FD_SET(socket, &writeSet);
  timeval now{0, 0};
  return select(0, nullptr, &writeSet, nullptr, &now) > 0;
}

void SetSendBuffer(SOCKET socket, int bytes) {
  setsockopt(socket, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&bytes), sizeof bytes);
}

int PendingSocketError(SOCKET socket) {
  int error = 0;
  int len = sizeof error;
  getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &len);
  return error;
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
  bytesReceived_ = 0;
  bytesHanded_ = 0;
  sendingEnded_ = false;
  delivered_ = false;
  inputEnded_ = false;
  draining_ = false;
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
  if (fd_ == kNoSocket) return SysStatus::Fail("connect", EBADF);
  const auto start = SteadyClock::now();
  auto address = Destination(host, timeoutMs);
  if (!address) return SysStatus::Fail(address.call(), address.error());
  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(port);
  peer.sin_addr.s_addr = htonl(address.value());

  // The socket stays non-blocking: every wait is bounded and looks at stop requests.
  u_long nonBlocking = 1;
  ioctlsocket(AsSocket(fd_), FIONBIO, &nonBlocking);
  if (connect(AsSocket(fd_), reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0) {
    if (WSAGetLastError() != WSAEWOULDBLOCK) return SysStatus::Fail("connect", SocketErrno());
    for (;;) {
      fd_set writable;
      fd_set failed;
      FD_ZERO(&writable);
      FD_ZERO(&failed);
      FD_SET(AsSocket(fd_), &writable);
      FD_SET(AsSocket(fd_), &failed);
      const int left = timeoutMs - MsSince(start);
      if (left <= 0) return SysStatus::Fail("connect", ETIMEDOUT);
      const int slice = std::min(left, kStopCheckMs);
      timeval limit{slice / 1000, (slice % 1000) * 1000};
      if (select(0, nullptr, &writable, &failed, &limit) > 0) break;
      if (StopRequested()) return SysStatus::Fail("connect", EINTR);
    }
    if (const int error = PendingSocketError(AsSocket(fd_)); error != 0) {
      WSASetLastError(error);
      return SysStatus::Fail("connect", SocketErrno());
    }
  }
  BOOL one = TRUE;
  setsockopt(AsSocket(fd_), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one),
             sizeof one);
  SetSendBuffer(AsSocket(fd_), kSendBufferBytes);
  return OkStatus();
}

SysStatus TcpSocket::DrainInput() {
  char buffer[4096];
  while (!inputEnded_) {
    const int n = recv(AsSocket(fd_), buffer, sizeof buffer, 0);
    if (n > 0) {
      bytesReceived_ += static_cast<uint64_t>(n);
      continue;
    }
    if (n == 0) {
      inputEnded_ = true;
      break;
    }
    if (WSAGetLastError() == WSAEWOULDBLOCK) break;
    return SysStatus::Fail("recv", SocketErrno());
  }
  return OkStatus();
}

SysResult<size_t> TcpSocket::SendAll(const uint8_t* data, size_t length, int stallTimeoutMs) {
  if (fd_ == kNoSocket) return SysResult<size_t>::Fail("send", EBADF);
  size_t sent = 0;
  auto lastProgress = SteadyClock::now();
  for (;;) {
    if (auto drained = DrainInput(); !drained)
      return SysResult<size_t>::Fail("recv", drained.error());
    if (sent == length) break;
    if (StopRequested()) return SysResult<size_t>::Fail("send", EINTR);
    const int ask = static_cast<int>(std::min<size_t>(length - sent, 1u << 30));
    const int n = send(AsSocket(fd_), reinterpret_cast<const char*>(data + sent), ask, 0);
    if (n > 0) {
      sent += static_cast<size_t>(n);
      bytesHanded_ += static_cast<uint64_t>(n);
      lastProgress = SteadyClock::now();
      continue;
    }
    if (n == SOCKET_ERROR && WSAGetLastError() != WSAEWOULDBLOCK)
      return SysResult<size_t>::Fail("send", SocketErrno());
    const int left = stallTimeoutMs - MsSince(lastProgress);
    if (left <= 0) return SysResult<size_t>::Fail("send", ETIMEDOUT);
    WaitSlice(AsSocket(fd_), true, !inputEnded_, left);
  }
  return SysResult<size_t>::Ok(sent);
}

SysStatus TcpSocket::EndSending() {
  if (fd_ == kNoSocket) return SysStatus::Fail("shutdown", EBADF);
  sendingEnded_ = true;
  lastPending_ = -1;
  lastProgress_ = SteadyClock::now();
  if (!SendFigures(AsSocket(fd_))) {
    // Without figures only the printer's close confirms the end, and Wine reports a reset
    // that comes after the last send as a close. So the send side is shut only once the
    // socket, its buffer made small, turns writable with the connection still whole: what
    // it still holds has nearly all been taken.
    SetSendBuffer(AsSocket(fd_), kDrainSendBufferBytes);
    draining_ = true;
    return OkStatus();
  }
  if (shutdown(AsSocket(fd_), SD_SEND) != 0) return SysStatus::Fail("shutdown", SocketErrno());
  return OkStatus();
}

SysResult<bool> TcpSocket::CheckDelivered(int stallTimeoutMs, int waitMs) {
  if (fd_ == kNoSocket) return SysResult<bool>::Fail("send", EBADF);
  for (bool waited = false;; waited = true) {
    if (auto drained = DrainInput(); !drained) {
      return SysResult<bool>::Fail(drained.call(), drained.error());
    }
    if (const int error = PendingSocketError(AsSocket(fd_)); error != 0) {
      WSASetLastError(error);
      return SysResult<bool>::Fail("send", SocketErrno());
    }
    if (draining_ && Writable(AsSocket(fd_))) {
      // A reset turns the socket writable too, and Wine says so only to a send: one of no
      // bytes tells a drained buffer from a printer that went away.
      if (send(AsSocket(fd_), nullptr, 0, 0) != 0) {
        return SysResult<bool>::Fail("send", SocketErrno());
      }
      if (shutdown(AsSocket(fd_), SD_SEND) != 0) {
        return SysResult<bool>::Fail("shutdown", SocketErrno());
      }
      draining_ = false;
    }
    // Without the connection's TCP information (before Windows 10 1703, Wine) a printer
    // that keeps the connection open cannot be confirmed and fails at the limit.
    const int64_t pending =
        draining_ ? 1 : UnconfirmedBytes(SendFigures(AsSocket(fd_)), bytesHanded_, inputEnded_);
    const auto judged = JudgeDelivery(pending, stallTimeoutMs);
    if (!judged) return SysResult<bool>::Fail(judged.call(), judged.error());
    const int left = judged.value();
    if (left == 0) return SysResult<bool>::Ok(true);
    if (waited || waitMs <= 0) return SysResult<bool>::Ok(false);
    WaitSlice(AsSocket(fd_), draining_, !inputEnded_, std::min(left, waitMs));
    if (StopRequested()) return SysResult<bool>::Fail("send", EINTR);
  }
}

uint64_t TcpSocket::BytesAcknowledged() const {
  if (delivered_) return bytesHanded_;
  if (fd_ == kNoSocket) return 0;
  const auto figures = SendFigures(AsSocket(fd_));
  return figures ? ConfirmedBytes(*figures, bytesHanded_) : 0;
}

void TcpSocket::Close() {
  if (fd_ != kNoSocket) {
    // Input left unread would turn the close into a reset.
    DrainInput();
    closesocket(AsSocket(fd_));
    fd_ = kNoSocket;
  }
}

}  // namespace platform
