#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/sys_result.h"

namespace platform {

// What stopped the system's sockets from starting: the sockets' own error code and the
// system's last error.
struct SocketStartFailure {
  int socketError = 0;
  int systemError = 0;
};

// Starts the system's sockets for the process (Windows needs that once; Linux does not).
std::optional<SocketStartFailure> StartSockets();

// True for an IPv4 address (in host byte order) of one single host. Only such an address can
// be a printer: 0.0.0.0 in particular would reach a service of this very machine, and
// broadcast or multicast addresses reach no one printer.
bool IsUnicastHostAddress(uint32_t address);

// An IPv4 TCP client connection to a printer. Every wait is bounded and ends early, with
// EINTR, on a stop request. Whatever the printer sends back is read and dropped as it
// comes, so the connection never closes on unread input (that would reset it and throw
// away bytes still on their way).
class TcpSocket {
 public:
  TcpSocket() = default;
  ~TcpSocket();
  TcpSocket(const TcpSocket&) = delete;
  TcpSocket& operator=(const TcpSocket&) = delete;

  SysStatus Create();
  // `host` is a dotted IPv4 address or a name; looking the name up and connecting give up
  // together after `timeoutMs`.
  SysStatus Connect(const std::string& host, uint16_t port, int timeoutMs);
  // What Connect would fail with before it reaches for the printer: a name without an
  // address (looked up within `timeoutMs`) or an address that is no single host.
  static SysStatus CheckDestination(const std::string& host, int timeoutMs);
  // Sends all of `data`; fails when the peer takes nothing for `stallTimeoutMs`, resets or
  // closes the connection.
  SysResult<size_t> SendAll(const uint8_t* data, size_t length, int stallTimeoutMs);
  // Ends the sending side: from here the connection only delivers what it holds.
  SysStatus EndSending();
  // After EndSending: true once the peer is known to have taken every byte sent, false
  // while bytes are still on their way after waiting up to `waitMs` for them; fails on a
  // reset, a close before that, or when delivery has made no progress for
  // `stallTimeoutMs`.
  SysResult<bool> CheckDelivered(int stallTimeoutMs, int waitMs);
  // EndSending, then CheckDelivered until it answers, waiting longer each time.
  SysStatus WaitDelivered(int stallTimeoutMs);
  // Bytes the peer sent back, read and dropped.
  uint64_t BytesReceived() const { return bytesReceived_; }
  // Of the bytes SendAll handed to the connection, those the peer's TCP stack is known to
  // have acknowledged; still right after a reset or a failed wait. 0 where the system cannot
  // tell (and the connection has not been seen to deliver everything).
  uint64_t BytesAcknowledged() const;
  void Close();
  bool IsOpen() const { return fd_ != kNoSocket; }

 private:
  // `host` as an IPv4 address in host byte order: a dotted address as it stands, else the
  // system's lookup of the name within `timeoutMs`. Each system has its own.
  static SysResult<uint32_t> Resolve(const std::string& host, int timeoutMs);
  // The printer's address (host byte order): `host` resolved, and one single host (see
  // IsUnicastHostAddress). Connect and CheckDestination both go through it.
  static SysResult<uint32_t> Destination(const std::string& host, int timeoutMs);
  // A descriptor on Linux, a SOCKET on Windows.
  static constexpr intptr_t kNoSocket = -1;
  intptr_t fd_ = kNoSocket;
  // Reads what has arrived without waiting; fails on a reset.
  SysStatus DrainInput();
  // What one look at the bytes still unconfirmed decides: 0 when there are none (the
  // delivery is done), else the ms left before the stall limit; past it, a time-out.
  SysResult<int> JudgeDelivery(int64_t pending, int stallTimeoutMs);
  uint64_t bytesReceived_ = 0;
  uint64_t bytesHanded_ = 0;
  // The sending side was ended (WaitDelivered), so the peer has a FIN to acknowledge too.
  bool sendingEnded_ = false;
  // CheckDelivered saw every byte taken.
  bool delivered_ = false;
  // Delivery's progress as CheckDelivered last saw it: bytes still unconfirmed (-1 before
  // the first look) and when that count last fell.
  int64_t lastPending_ = -1;
  std::chrono::steady_clock::time_point lastProgress_{};
  // The peer has ended its sending side: nothing more to read.
  bool inputEnded_ = false;
  // Windows without the connection's TCP figures: the sending side is ended but not yet
  // shut down, until the bytes the system still holds have drained from its send buffer.
  bool draining_ = false;
};

}  // namespace platform
