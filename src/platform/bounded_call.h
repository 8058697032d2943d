#pragma once

#include <functional>

namespace platform {

// Runs `work` on a thread of its own and waits for it at most `timeoutMs`; a stop request
// ends the wait at once. 0 when `work` has finished, ETIMEDOUT or EINTR when the wait
// ended first. Calls the system cannot bound or interrupt (a name lookup) go this way; one
// that has not finished goes on in the background, so `work` owns all it touches.
int CallWithin(std::function<void()> work, int timeoutMs);

}  // namespace platform
