#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>

// The limits of the TCP socket's waits on both systems; inside platform/ only.
namespace platform::tcpwaits {

using SteadyClock = std::chrono::steady_clock;

// The longest a wait sleeps before it looks at a stop request again; a stop signal
// usually interrupts it sooner.
inline constexpr int kStopCheckMs = 100;
// Acknowledgements raise no event: the wait looks this often, so a fast printer is not
// kept waiting (a query every few milliseconds costs next to nothing).
inline constexpr int kFirstAckCheckMs = 1;
inline constexpr int kLongestAckCheckMs = 5;
// A bounded send buffer keeps the bytes counted as sent close to those the printer has
// taken, so progress is honest and the last acknowledgement is not far behind (Linux
// doubles it for its own bookkeeping).
inline constexpr int kSendBufferBytes = 256 * 1024;

// What a connection's own TCP figures tell of what it sent (Windows' SIO_TCP_INFO).
struct TcpSendFigures {
  uint64_t bytesOut = 0;
  uint64_t bytesRetransmitted = 0;
  uint64_t bytesInFlight = 0;
};

// The bytes of `handed` the connection's figures show taken: sent (retransmissions aside)
// and no longer in flight.
inline uint64_t ConfirmedBytes(const TcpSendFigures& figures, uint64_t handed) {
  const uint64_t out = figures.bytesOut - std::min(figures.bytesOut, figures.bytesRetransmitted);
  return std::min(out - std::min(out, figures.bytesInFlight), handed);
}

// The bytes of `handed` the printer is not yet known to have taken. With the connection's
// figures: those not confirmed, or still in flight. Without them only the printer's own
// close after the end of the stream says it took everything.
inline int64_t UnconfirmedBytes(const std::optional<TcpSendFigures>& figures, uint64_t handed,
                                bool peerClosed) {
  if (!figures) return peerClosed ? 0 : 1;
  // Nothing may be in flight either, whatever the count of bytes out says.
  return static_cast<int64_t>(
      std::max(handed - ConfirmedBytes(*figures, handed), figures->bytesInFlight));
}

inline int MsSince(SteadyClock::time_point start) {
  return static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count());
}

}  // namespace platform::tcpwaits
