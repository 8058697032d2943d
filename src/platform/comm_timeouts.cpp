#include "platform/comm_timeouts.h"

#include <limits>

namespace platform {

int64_t TotalTimeoutMs(uint32_t multiplier, uint32_t constant, size_t length) {
  if (multiplier == 0 && constant == 0) return -1;
  constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
  if (multiplier != 0 && length > static_cast<size_t>(kMax / multiplier)) return kMax;
  int64_t total = static_cast<int64_t>(multiplier) * static_cast<int64_t>(length) + constant;
  return total > kMax ? kMax : total;
}

}  // namespace platform
