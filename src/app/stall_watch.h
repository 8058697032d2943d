#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Watches for progress from a thread of its own: once none was reported for kStall while
// watching, it calls `onStall` with the seconds since the last progress, and again each
// second while the stall lasts. The window thread may sit in a blocked write all that time,
// so nothing else could tell the operator.
class StallWatch {
 public:
  static constexpr std::chrono::seconds kStall{2};

  explicit StallWatch(std::function<void(unsigned seconds)> onStall);
  ~StallWatch();
  StallWatch(const StallWatch&) = delete;
  StallWatch& operator=(const StallWatch&) = delete;

  // Progress now; watching from here on.
  void Touch();
  // Nothing to watch (no bytes are expected to move).
  void Pause();

 private:
  void Loop();

  std::function<void(unsigned)> onStall_;
  std::mutex lock_;
  std::condition_variable wake_;
  bool stop_ = false;
  bool watching_ = false;
  std::chrono::steady_clock::time_point last_;
  std::thread thread_;
};
