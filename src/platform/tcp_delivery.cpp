#include <algorithm>

#include "platform/tcp_socket.h"
#include "platform/tcp_waits.h"

namespace platform {

using tcpwaits::kFirstAckCheckMs;
using tcpwaits::kLongestAckCheckMs;

// The same on both systems: each system's CheckDelivered says what its connection knows.
SysStatus TcpSocket::WaitDelivered(int stallTimeoutMs) {
  if (auto ended = EndSending(); !ended) return ended;
  for (int waitMs = kFirstAckCheckMs;; waitMs = std::min(waitMs * 2, kLongestAckCheckMs)) {
    auto delivered = CheckDelivered(stallTimeoutMs, waitMs);
    if (!delivered) return SysStatus::Fail(delivered.call(), delivered.error());
    if (delivered.value()) return OkStatus();
  }
}

}  // namespace platform
