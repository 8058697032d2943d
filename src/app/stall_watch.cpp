#include "app/stall_watch.h"

StallWatch::StallWatch(std::function<void(unsigned seconds)> onStall)
    : onStall_(std::move(onStall)), thread_([this] { Loop(); }) {}

StallWatch::~StallWatch() {
  {
    std::lock_guard guard(lock_);
    stop_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void StallWatch::Touch() {
  std::lock_guard guard(lock_);
  last_ = std::chrono::steady_clock::now();
  watching_ = true;
}

void StallWatch::Pause() {
  std::lock_guard guard(lock_);
  watching_ = false;
}

void StallWatch::Loop() {
  std::unique_lock guard(lock_);
  while (!stop_) {
    wake_.wait_for(guard, std::chrono::seconds(1));
    if (stop_ || !watching_) continue;
    const auto quiet = std::chrono::steady_clock::now() - last_;
    if (quiet < kStall) continue;
    const auto seconds =
        static_cast<unsigned>(std::chrono::duration_cast<std::chrono::seconds>(quiet).count());
    guard.unlock();
    onStall_(seconds);
    guard.lock();
  }
}
