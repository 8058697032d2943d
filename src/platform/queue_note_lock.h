#pragma once

#include <cstdint>

namespace platform {

// Serialises reading and rewriting the notes of held print queues between the runs of this
// program on one machine, so that two starts in the same moment cannot both take themselves
// for a queue's first holder. Held only around the spooler requests of one step, never
// across a download. A lock that cannot be had within a few seconds (or before a stop
// request) is gone without: the download matters more than the rare race.
class QueueNoteLock {
 public:
  QueueNoteLock();
  ~QueueNoteLock();
  QueueNoteLock(const QueueNoteLock&) = delete;
  QueueNoteLock& operator=(const QueueNoteLock&) = delete;

  bool held() const { return held_; }

 private:
  std::intptr_t handle_ = -1;
  bool held_ = false;
};

}  // namespace platform
