#pragma once

#include <atomic>

// What the stop signal handler and the rest of the program share; inside platform/ only.
namespace platform::stopstate {
extern std::atomic<int> pendingSignal;
extern std::atomic<int> guards;
}  // namespace platform::stopstate
