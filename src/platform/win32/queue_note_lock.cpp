#include "platform/queue_note_lock.h"

#include <windows.h>

#include "platform/stop_request.h"

namespace platform {

namespace {
constexpr DWORD kLongestWaitMs = 5000;
constexpr DWORD kSliceMs = 50;
}  // namespace

// The notes live under the user's own registry key, so the runs of one logon session share
// them: a named mutex of that session serialises them. A run that dies holding it hands it
// on (the wait then reports it abandoned, which still grants it).
QueueNoteLock::QueueNoteLock(LockWait wait) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, "Local\\vrtqlx-parked-queues");
  if (!mutex) {
    problem_ = "the queue lock cannot be made: print queues changed without it";
    return;
  }
  handle_ = reinterpret_cast<std::intptr_t>(mutex);
  for (DWORD waited = 0; waited < kLongestWaitMs; waited += kSliceMs) {
    if (wait == LockWait::kUntilStop && StopRequested()) return;
    const DWORD outcome = WaitForSingleObject(mutex, kSliceMs);
    if (outcome == WAIT_OBJECT_0 || outcome == WAIT_ABANDONED) {
      held_ = true;
      return;
    }
    if (outcome != WAIT_TIMEOUT) break;
  }
  problem_ =
      "the queue lock is held by another process for over 5 s: print queues changed "
      "without it";
}

QueueNoteLock::~QueueNoteLock() {
  if (handle_ == -1) return;
  HANDLE mutex = reinterpret_cast<HANDLE>(handle_);
  if (held_) ReleaseMutex(mutex);
  CloseHandle(mutex);
}

}  // namespace platform
