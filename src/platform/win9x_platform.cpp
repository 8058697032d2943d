#include "platform/win9x_platform.h"

namespace platform {

bool IsWin9xVersionWord(uint32_t versionWord) {
  const bool outsideNt = (versionWord & 0x80000000u) != 0;
  const uint32_t major = versionWord & 0xFFu;
  if (!outsideNt) return (versionWord >> 16) == 0;
  if (major >= 4) return true;
  return ((versionWord >> 16) & 0x7FFFu) == 0;
}

}  // namespace platform
