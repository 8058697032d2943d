#pragma once

#include <chrono>

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

inline int MsSince(SteadyClock::time_point start) {
  return static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count());
}

}  // namespace platform::tcpwaits
