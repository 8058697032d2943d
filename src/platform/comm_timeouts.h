#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// A link's time-outs in the order the settings record carries them, in milliseconds. A
// total time-out is multiplier × bytes + constant; both 0 means no limit.
struct CommTimeouts {
  uint32_t readInterval = 0;
  uint32_t readTotalMultiplier = 0;
  uint32_t readTotalConstant = 0;
  uint32_t writeTotalMultiplier = 0;
  uint32_t writeTotalConstant = 0;

  bool operator==(const CommTimeouts&) const = default;
};

// Total limit for a transfer of `length` bytes in milliseconds, or -1 for none. Saturates
// instead of wrapping, so a huge block gets a long limit rather than a short one.
int64_t TotalTimeoutMs(uint32_t multiplier, uint32_t constant, size_t length);

}  // namespace platform
