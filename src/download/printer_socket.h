#pragma once

#include <cstdint>
#include <string>

#include "platform/tcp_socket.h"

// The TCP connection to a printer. The engine reads its results as numbers: Create,
// Connect and EndSending answer 1 or 0, Send the byte count or -1. Every call gives up
// at once on a stop request.
class CPrinterSocket {
 public:
  static constexpr int kConnectTimeoutMs = 20000;
  // A send, or the wait for the printer to acknowledge what was sent, that makes no
  // progress for this long has failed.
  static constexpr int kSendStallTimeoutMs = 30000;

  int Create();
  // A port outside 1-65535 is refused before anything is looked up.
  int Connect(const std::string& address, int port);
  // Connect's decision without connecting: the port, the address looked up, a single
  // host. 1 when nothing is in the way; else 0 with LastFailure saying why.
  int CheckDestination(const std::string& address, int port);
  int64_t Send(const uint8_t* data, uint64_t length);
  // After the last Send: ends the sending side (1, or 0 on failure).
  int EndSending();
  // After EndSending: 1 once the printer is known to have taken every byte, 0 while bytes
  // are still on their way after a wait of at most kDeliveryLookMs (short enough for the
  // window to stay alive between looks), -1 on a failure (a reset, a close before that, or
  // no progress for kSendStallTimeoutMs).
  static constexpr int kDeliveryLookMs = 20;
  int CheckDelivered();
  void Close();
  // Lets go of a connection that never came up.
  void Detach() { socket_.Close(); }
  bool IsOpen() const { return socket_.IsOpen(); }
  // Of the bytes Send took, those the printer's TCP stack has acknowledged.
  uint64_t BytesAcknowledged() const { return socket_.BytesAcknowledged(); }
  // Why the last call that failed did, in the system's words ("" when none failed).
  const std::string& LastFailure() const { return lastFailure_; }

 private:
  template <typename Result>
  int Answer(const Result& result) {
    if (!result) lastFailure_ = result.Describe();
    return result ? 1 : 0;
  }

  // 1 for a TCP port a printer can listen on; else 0 with the reason kept.
  int AcceptPort(int port);

  platform::TcpSocket socket_;
  std::string lastFailure_;
};
