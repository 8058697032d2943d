#include "platform/clock.h"

#include <chrono>
#include <thread>

namespace platform {

uint64_t MonotonicClock::NowMs() {
  const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

// The standard library's sleep resumes after a signal handler with the time that was left,
// so a stop signal never cuts a settle period short.
void MonotonicClock::SleepMs(uint32_t ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

namespace {
Clock*& InstalledClock() {
  static Clock* installed = nullptr;
  return installed;
}
}  // namespace

Clock& CurrentClock() {
  static MonotonicClock monotonic;
  Clock* installed = InstalledClock();
  return installed ? *installed : monotonic;
}

ScopedClock::ScopedClock(Clock& clock) : previous_(InstalledClock()) { InstalledClock() = &clock; }

ScopedClock::~ScopedClock() { InstalledClock() = previous_; }

}  // namespace platform
