#include <windows.h>

#include "platform/win9x_platform.h"

namespace platform {

bool IsWin9xPlatform() {
  return IsWin9xVersionWord(static_cast<uint32_t>(GetVersion()));
}

}  // namespace platform
