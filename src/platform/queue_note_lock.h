#pragma once

#include <cstdint>
#include <string>

namespace platform {

// How a lock waits when a stop request comes: a change that starts something gives up
// then; putting a queue back goes on waiting (a few seconds at most), or two runs stopped
// together would each rewrite the note without the other and leave the queue paused.
enum class LockWait { kUntilStop, kThroughStop };

// Serialises reading and rewriting the notes of held print queues between the runs of this
// program on one machine, so that two starts in the same moment cannot both take themselves
// for a queue's first holder. Held only around the spooler requests of one step, never
// across a download. A lock that cannot be had within a few seconds leaves the step to go on
// without it, and says why in `problem`.
//
// Linux: a root run locks /run/vrtqlx/queues.lock, in a directory of root's that nobody
// else may write, in a file only root may open; another user's run locks
// /run/user/UID/vrtqlx-queues.lock in the user's own runtime directory, or
// /tmp/vrtqlx-queues-UID.lock when there is none. Nothing planted there (a link, a FIFO, a
// file of another user) is ever taken. Windows: a mutex of the logon session.
class QueueNoteLock {
 public:
  explicit QueueNoteLock(LockWait wait = LockWait::kUntilStop);
  ~QueueNoteLock();
  QueueNoteLock(const QueueNoteLock&) = delete;
  QueueNoteLock& operator=(const QueueNoteLock&) = delete;

  bool held() const { return held_; }
  // Why the lock is not held, as a sentence for the user; empty when it is held or was
  // given up for a stop request.
  const std::string& problem() const { return problem_; }

 private:
  std::intptr_t handle_ = -1;
  bool held_ = false;
  std::string problem_;
};

}  // namespace platform
