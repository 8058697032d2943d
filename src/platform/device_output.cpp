#include "platform/device_output.h"

#include <algorithm>
#include <cerrno>

#include "platform/stop_request.h"

namespace platform {

namespace {
// A wait never lasts longer than this, so that a stop request is seen soon.
constexpr int64_t kLongestWaitMs = 100;
// Some printer drivers answer every poll with "ready" and still refuse the write; a short
// pause keeps that from turning into a busy loop.
constexpr int kBusyDriverPauseMs = 1;

int64_t LeftUntil(uint64_t now, uint64_t start, int64_t limit) {
  if (limit < 0) return kLongestWaitMs;
  const uint64_t end = start + static_cast<uint64_t>(limit);
  return now >= end ? 0 : static_cast<int64_t>(end - now);
}
}  // namespace

SysResult<size_t> WriteWithinLimits(DeviceOutput& device, const uint8_t* data, size_t length,
                                    WriteLimits limits) {
  const uint64_t start = device.NowMs();
  uint64_t lastProgress = start;
  size_t sent = 0;
  bool saidReady = false;
  while (sent < length) {
    auto written = device.WriteSome(data + sent, length - sent);
    if (!written) {
      if (sent == 0) return written;
      break;
    }
    if (written.value() > 0) {
      sent += written.value();
      lastProgress = device.NowMs();
      saidReady = false;
      continue;
    }
    if (StopRequested()) {
      if (sent == 0) return SysResult<size_t>::Fail("write", EINTR);
      break;
    }
    const uint64_t now = device.NowMs();
    const int64_t wait = std::min({LeftUntil(now, start, limits.totalMs),
                                   LeftUntil(now, lastProgress, limits.stallMs), kLongestWaitMs});
    if (wait <= 0) break;
    if (saidReady) device.Pause(kBusyDriverPauseMs);
    saidReady = device.WaitForRoom(static_cast<int>(wait));
  }
  return SysResult<size_t>::Ok(sent);
}

}  // namespace platform
