#include "platform/stop_request.h"

#include <atomic>

#include "platform/stop_state.h"

namespace platform {

namespace stopstate {
// Lock-free atomics: both are touched from the signal handler.
std::atomic<int> pendingSignal{0};
std::atomic<int> guards{0};
static_assert(std::atomic<int>::is_always_lock_free);
}  // namespace stopstate

int PendingStopSignal() {
  return stopstate::pendingSignal.load();
}

StopGuard::StopGuard() {
  ++stopstate::guards;
}

StopGuard::~StopGuard() {
  --stopstate::guards;
}

void SetPendingStopSignalForTest(int signal) {
  stopstate::pendingSignal.store(signal);
}

}  // namespace platform
