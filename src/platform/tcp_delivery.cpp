#include <algorithm>

#include "platform/tcp_socket.h"
#include "platform/tcp_waits.h"

namespace platform {

using tcpwaits::kFirstAckCheckMs;
using tcpwaits::kLongestAckCheckMs;

SysResult<int> TcpSocket::JudgeDelivery(int64_t pending, int stallTimeoutMs) {
  if (pending == 0) {
    delivered_ = true;
    return SysResult<int>::Ok(0);
  }
  if (lastPending_ < 0 || pending < lastPending_) {
    lastPending_ = pending;
    lastProgress_ = tcpwaits::SteadyClock::now();
  }
  const int left = stallTimeoutMs - tcpwaits::MsSince(lastProgress_);
  if (left <= 0) return SysResult<int>::Fail("send", ETIMEDOUT);
  return SysResult<int>::Ok(left);
}

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
