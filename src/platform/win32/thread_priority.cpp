#include "platform/thread_priority.h"

#include <windows.h>

namespace platform {

void RaiseThreadPriority() {
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
}

}  // namespace platform
