#include "platform/console_attach.h"

namespace platform {

// A Linux program always has the standard streams its caller gave it.
void AttachToCallersConsole() {}

}  // namespace platform
