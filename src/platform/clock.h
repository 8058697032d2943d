#pragma once

#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary start and a way to wait. The program uses the monotonic
// system clock; tests put a virtual clock in its place so that settle periods and waits
// cost no real time.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual uint64_t NowMs() = 0;
  virtual void SleepMs(uint32_t ms) = 0;
};

class MonotonicClock final : public Clock {
 public:
  uint64_t NowMs() override;
  void SleepMs(uint32_t ms) override;
};

// A clock that only moves when told to (or when someone sleeps on it).
class VirtualClock final : public Clock {
 public:
  uint64_t NowMs() override { return now_; }
  void SleepMs(uint32_t ms) override { now_ += ms; }
  void Advance(uint64_t ms) { now_ += ms; }
  void Set(uint64_t ms) { now_ = ms; }

 private:
  uint64_t now_ = 1000;
};

// The clock the program's own waits use (the engine's pauses, the window timers of the
// headless backend). Defaults to the monotonic clock.
Clock& CurrentClock();

// Puts another clock in place for the lifetime of this object (tests).
class ScopedClock {
 public:
  explicit ScopedClock(Clock& clock);
  ~ScopedClock();
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;

 private:
  Clock* previous_;
};

}  // namespace platform
