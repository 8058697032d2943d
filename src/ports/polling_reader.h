#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// A port's reader thread: runs one drain cycle, then waits 10 ms on the stop event, until
// Stop. Stop wakes the wait at once, so a port closes within one cycle.
class PollingReader {
 public:
  static constexpr int kCycleMs = 10;

  PollingReader() = default;
  ~PollingReader() { Stop(); }
  PollingReader(const PollingReader&) = delete;
  PollingReader& operator=(const PollingReader&) = delete;

  void Start(std::function<void()> cycle);
  // Signals the stop event and waits for the thread to end. The cycle never blocks
  // (its reads only take what is waiting), so this wait is bounded by one cycle.
  void Stop();
  bool Running() const { return readerThread.joinable(); }

 private:
  void Loop(std::function<void()> cycle);

  std::thread readerThread;
  std::mutex stopLock;
  std::condition_variable stopSignal;
  bool stopEvent = false;
};
