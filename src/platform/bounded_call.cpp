#include "platform/bounded_call.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/stop_request.h"

namespace platform {

namespace {
// How often the wait looks at a stop request when no signal interrupts it.
constexpr auto kStopCheck = std::chrono::milliseconds(50);

struct CallState {
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
};
}  // namespace

int CallWithin(std::function<void()> work, int timeoutMs) {
  auto state = std::make_shared<CallState>();
  auto job = std::make_shared<std::function<void()>>(std::move(work));
  try {
    std::thread([state, job] {
      (*job)();
      std::lock_guard<std::mutex> lock(state->mutex);
      state->done = true;
      state->finished.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    // No thread to be had: the call runs here, unbounded, rather than not at all.
    (*job)();
    return 0;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::unique_lock<std::mutex> lock(state->mutex);
  while (!state->done) {
    if (StopRequested()) return EINTR;
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return ETIMEDOUT;
    state->finished.wait_for(
        lock, std::min<std::chrono::steady_clock::duration>(kStopCheck, deadline - now));
  }
  return 0;
}

}  // namespace platform
