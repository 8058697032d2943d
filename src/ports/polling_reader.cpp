#include "ports/polling_reader.h"

#include <chrono>

#include "platform/thread_priority.h"

void PollingReader::Start(std::function<void()> cycle) {
  Stop();
  {
    std::lock_guard lock(stopLock);
    stopEvent = false;
  }
  readerThread =
      std::thread([this, cycle = std::move(cycle)]() mutable { Loop(std::move(cycle)); });
}

void PollingReader::Stop() {
  if (!readerThread.joinable()) return;
  {
    std::lock_guard lock(stopLock);
    stopEvent = true;
  }
  stopSignal.notify_all();
  readerThread.join();
}

void PollingReader::Loop(std::function<void()> cycle) {
  platform::RaiseThreadPriority();
  for (;;) {
    cycle();
    std::unique_lock lock(stopLock);
    if (stopSignal.wait_for(lock, std::chrono::milliseconds(kCycleMs),
                            [this] { return stopEvent; })) {
      return;
    }
  }
}
