#include <fcntl.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/posix/io.h"
#include "platform/stop_request.h"

namespace platform::posix {

namespace {

// Once the stall limit has passed, the wake-up comes again this often, in case the first
// one arrived just before the write began to wait.
constexpr long kRewakeNs = 100'000'000;

void OnWake(int) {}

// A real-time signal of our own that only interrupts a waiting write (no SA_RESTART).
int WakeSignal() {
  static const int signal = [] {
    const int chosen = SIGRTMIN + 5;
    struct sigaction action {};
    action.sa_handler = OnWake;
    sigemptyset(&action.sa_mask);
    sigaction(chosen, &action, nullptr);
    return chosen;
  }();
  return signal;
}

// A per-thread timer that interrupts the blocked write when the device has taken nothing
// for the stall limit. Interrupting earlier is not safe: a printer driver forgets the
// transfer it was waiting for and the bytes would be sent again.
class StallTimer {
 public:
  explicit StallTimer(int64_t stallMs) : stallMs_(stallMs) {
    if (stallMs_ < 0) return;
    sigevent event{};
    event.sigev_notify = SIGEV_THREAD_ID;
    event.sigev_signo = WakeSignal();
    // glibc 2.36 names the thread field only through its union member.
    event._sigev_un._tid = gettid();
    armed_ = timer_create(CLOCK_MONOTONIC, &event, &timer_) == 0;
  }
  ~StallTimer() {
    if (armed_) timer_delete(timer_);
  }
  StallTimer(const StallTimer&) = delete;
  StallTimer& operator=(const StallTimer&) = delete;

  void Restart() {
    if (!armed_) return;
    itimerspec schedule{};
    schedule.it_value.tv_sec = stallMs_ / 1000;
    schedule.it_value.tv_nsec = (stallMs_ % 1000) * 1'000'000 + 1;
    schedule.it_interval.tv_nsec = kRewakeNs;
    timer_settime(timer_, 0, &schedule, nullptr);
  }

 private:
  int64_t stallMs_;
  bool armed_ = false;
  timer_t timer_{};
};

class BlockingMode {
 public:
  explicit BlockingMode(int fd) : fd_(fd), flags_(fcntl(fd, F_GETFL)) {
    if (flags_ >= 0) fcntl(fd_, F_SETFL, flags_ & ~O_NONBLOCK);
  }
  ~BlockingMode() {
    if (flags_ >= 0) fcntl(fd_, F_SETFL, flags_);
  }
  BlockingMode(const BlockingMode&) = delete;
  BlockingMode& operator=(const BlockingMode&) = delete;
  bool ok() const { return flags_ >= 0; }

 private:
  int fd_;
  int flags_;
};

}  // namespace

SysResult<size_t> WriteBlocking(int fd, const void* data, size_t length, int64_t stallMs) {
  using SteadyClock = std::chrono::steady_clock;
  BlockingMode blocking(fd);
  if (!blocking.ok()) return SysResult<size_t>::Fail("fcntl", errno);
  StallTimer timer(stallMs);
  const auto* bytes = static_cast<const uint8_t*>(data);
  size_t sent = 0;
  auto lastProgress = SteadyClock::now();
  int error = 0;
  timer.Restart();
  while (sent < length) {
    if (StopRequested()) {
      error = EINTR;
      break;
    }
    const ssize_t n = ::write(fd, bytes + sent, length - sent);
    if (n > 0) {
      sent += static_cast<size_t>(n);
      lastProgress = SteadyClock::now();
      timer.Restart();
      continue;
    }
    if (n < 0 && errno == EINTR) {
      if (stallMs >= 0 && SteadyClock::now() - lastProgress >= std::chrono::milliseconds(stallMs)) {
        error = ETIMEDOUT;
        break;
      }
      continue;
    }
    error = n < 0 ? errno : EIO;
    break;
  }
  if (error != 0) return SysResult<size_t>::Fail("write", error);
  return SysResult<size_t>::Ok(sent);
}

}  // namespace platform::posix
