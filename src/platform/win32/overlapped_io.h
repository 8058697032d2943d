#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>

namespace platform {

// An OVERLAPPED record with its own manual-reset event, ready for the next transfer.
class OverlappedRecord {
 public:
  OverlappedRecord();
  ~OverlappedRecord();
  OverlappedRecord(const OverlappedRecord&) = delete;
  OverlappedRecord& operator=(const OverlappedRecord&) = delete;
  OVERLAPPED& Fresh();
  HANDLE Event() const { return record_.hEvent; }

 private:
  OVERLAPPED record_{};
};

struct OverlappedOutcome {
  DWORD done = 0;          // bytes moved, also by a transfer that did not complete
  bool completed = false;  // the transfer finished by itself
  int error = 0;           // ETIMEDOUT or EINTR when it was cancelled, else the failure
};

// Milliseconds left of a limit of `limitMs` that began at tick `since`; a negative limit
// never runs out.
ULONGLONG MsLeftOf(int64_t limitMs, ULONGLONG since, ULONGLONG now);

enum class TransferDirection { kRead, kWrite };

// One overlapped ReadFile or WriteFile on `file`, waited for while `msLeft(now)` (with the
// tick count now) answers more than 0, in slices short enough to see a stop request; a
// transfer that runs out of time or is stopped is cancelled.
OverlappedOutcome TransferOverlapped(HANDLE file, OverlappedRecord& record,
                                     TransferDirection direction, uint8_t* data, size_t length,
                                     const std::function<ULONGLONG(ULONGLONG now)>& msLeft);

}  // namespace platform
