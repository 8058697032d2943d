#pragma once

namespace platform {

// Windows starts a window program without a console. When its caller's redirections gave
// it no standard output or error, an unattended run started from a console attaches to that
// console, so its lines, progress and reasons still appear there. Elsewhere: nothing to do.
void AttachToCallersConsole();

}  // namespace platform
