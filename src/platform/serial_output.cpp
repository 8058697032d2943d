#include "platform/serial_output.h"

#include <algorithm>
#include <cerrno>

#include "platform/stop_request.h"

namespace platform {

namespace {

// While the printer holds the output, or the queue is full, the line is looked at again
// after this long.
constexpr int kRecheckMs = 10;
// The shortest look-again while a short queue drains: a few characters at fast rates.
constexpr int kDrainRecheckMs = 1;

class Deadline {
 public:
  Deadline(SerialOutput& line, int64_t limitMs)
      : line_(line), unlimited_(limitMs < 0), end_(line.NowMs() + std::max<int64_t>(limitMs, 0)) {}
  // Milliseconds left, capped at `cap`; 0 once the time is up.
  int Left(int cap) const {
    if (unlimited_) return cap;
    const uint64_t now = line_.NowMs();
    if (now >= end_) return 0;
    return static_cast<int>(std::min<uint64_t>(end_ - now, static_cast<uint64_t>(cap)));
  }
  bool Over() const { return !unlimited_ && line_.NowMs() >= end_; }

 private:
  SerialOutput& line_;
  bool unlimited_;
  uint64_t end_;
};

// `pending` learns what is still queued when the wait ends.
SysStatus WaitDrained(SerialOutput& line, const Deadline& deadline, size_t& pending) {
  for (;;) {
    auto queued = line.QueuedBytes();
    if (!queued) return SysStatus::Fail(queued.call(), queued.error());
    pending = queued.value();
    if (pending == 0) return OkStatus();
    if (StopRequested()) return SysStatus::Fail("drain", EINTR);
    const int wait =
        deadline.Left(queued.value() > kPacedQueueBytes ? kRecheckMs : kDrainRecheckMs);
    if (wait == 0) return SysStatus::Fail("drain", ETIMEDOUT);
    line.Pause(wait);
  }
}

}  // namespace

SerialWrite WriteDrained(SerialOutput& line, const uint8_t* data, size_t length, int64_t limitMs,
                         bool paced) {
  const Deadline deadline(line, limitMs);
  SerialWrite result;
  while (result.queued < length) {
    if (StopRequested()) {
      result.status = SysStatus::Fail("write", EINTR);
      return result;
    }
    size_t piece = length - result.queued;
    if (paced) {
      auto allowed = line.OutputAllowed();
      if (!allowed) {
        result.status = SysStatus::Fail(allowed.call(), allowed.error());
        return result;
      }
      auto queued = allowed.value() ? line.QueuedBytes() : SysResult<size_t>::Ok(kPacedQueueBytes);
      if (!queued) {
        result.status = SysStatus::Fail(queued.call(), queued.error());
        return result;
      }
      if (queued.value() >= kPacedQueueBytes) {
        const int wait = deadline.Left(allowed.value() ? kDrainRecheckMs : kRecheckMs);
        if (wait == 0) break;
        line.Pause(wait);
        continue;
      }
      piece = std::min(piece, kPacedQueueBytes - queued.value());
    }
    auto written = line.WriteSome(data + result.queued, piece);
    if (!written) {
      result.status = SysStatus::Fail(written.call(), written.error());
      return result;
    }
    result.queued += written.value();
    if (written.value() > 0) continue;
    const int wait = deadline.Left(kRecheckMs);
    if (wait == 0) break;
    if (paced) {
      line.Pause(wait);
    } else {
      line.WaitForRoom(wait);
    }
  }
  if (result.queued < length) {
    result.status = SysStatus::Fail("write", ETIMEDOUT);
    return result;
  }
  result.status = WaitDrained(line, deadline, result.pending);
  return result;
}

SysStatus DrainAndRestore(SerialOutput& line, int64_t limitMs) {
  const Deadline deadline(line, limitMs);
  size_t pending = 0;
  SysStatus drained = WaitDrained(line, deadline, pending);
  // A tail that cannot leave (the printer holds XOFF or DSR low) must not go out later at
  // the restored speed.
  if (!drained) line.DiscardOutput();
  line.RestoreLine();
  return drained;
}

}  // namespace platform
