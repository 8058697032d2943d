#include "platform/win9x_platform.h"

namespace platform {

// Linux is no member of the Windows 95/98/Me family.
bool IsWin9xPlatform() {
  return false;
}

}  // namespace platform
