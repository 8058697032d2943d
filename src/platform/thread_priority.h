#pragma once

namespace platform {

// Puts the calling thread two steps above normal (Windows' THREAD_PRIORITY_HIGHEST), so
// that a port's reader drains the driver in time while the window thread is busy. On Linux
// a normal process may not raise a thread's priority, so the thread stays as it is.
void RaiseThreadPriority();

}  // namespace platform
