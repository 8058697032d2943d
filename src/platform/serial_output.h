#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/sys_result.h"

namespace platform {

// What writing to a serial line asks of the system. The line's own implementation answers
// with its device; tests answer with a simulated line on a virtual clock.
class SerialOutput {
 public:
  virtual ~SerialOutput() = default;
  // Hands bytes to the driver without waiting; Ok(0) when it has no room now.
  virtual SysResult<size_t> WriteSome(const uint8_t* data, size_t length) = 0;
  // Bytes handed over that have not left the machine yet.
  virtual SysResult<size_t> QueuedBytes() = 0;
  virtual SysResult<bool> DsrRaised() = 0;
  // Whether the printer lets output go now: DSR raised, unless the line keeps XON/XOFF
  // itself, where it is the absence of a held XOFF.
  virtual SysResult<bool> OutputAllowed() { return DsrRaised(); }
  // Waits until the driver takes bytes again, at most `ms`.
  virtual void WaitForRoom(int ms) = 0;
  virtual void Pause(int ms) = 0;
  virtual uint64_t NowMs() = 0;
  // Throws away what is still queued for output.
  virtual void DiscardOutput() = 0;
  // Puts back the line settings found at open.
  virtual void RestoreLine() = 0;
};

struct SerialWrite {
  // Bytes handed to the driver (they may still be queued when `status` failed).
  size_t queued = 0;
  // Of those, the bytes known to be still waiting to leave when the write returned.
  size_t pending = 0;
  SysStatus status = OkStatus();
};

// While the printer paces the output (DTR/DSR, or XON/XOFF kept by the line) at most this
// many bytes wait in the output queue: the driver does not watch the printer itself, so
// whatever is queued when the printer says stop still goes out.
inline constexpr size_t kPacedQueueBytes = 64;

// Sends `length` bytes and waits until they have left the machine, all within `limitMs`
// (negative: without limit). `paced`: bytes are handed over only while OutputAllowed, and
// never more than kPacedQueueBytes are queued. A queue that has not drained in time fails
// with ETIMEDOUT; a stop request fails with EINTR.
SerialWrite WriteDrained(SerialOutput& line, const uint8_t* data, size_t length, int64_t limitMs,
                         bool paced);

// Waits, within `limitMs`, for the output queue to drain; what has not left by then is
// thrown away (limit 0: at once). Then the line's settings are put back.
SysStatus DrainAndRestore(SerialOutput& line, int64_t limitMs);

}  // namespace platform
