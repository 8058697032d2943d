#include "platform/clock.h"

#include <time.h>

#include <cerrno>

namespace platform {

uint64_t MonotonicClock::NowMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

void MonotonicClock::SleepMs(uint32_t ms) {
  timespec left{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&left, &left) == -1 && errno == EINTR) {
  }
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
