#include "platform/thread_priority.h"

namespace platform {

void RaiseThreadPriority() {}

}  // namespace platform
