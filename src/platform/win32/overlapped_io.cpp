#include "platform/win32/overlapped_io.h"

#include <algorithm>
#include <cerrno>

#include "platform/stop_request.h"
#include "platform/win32/errors.h"

namespace platform {

namespace {
// A wait never lasts longer than this, so that a stop request is seen soon.
constexpr ULONGLONG kLongestWaitMs = 100;
}  // namespace

ULONGLONG MsLeftOf(int64_t limitMs, ULONGLONG since, ULONGLONG now) {
  if (limitMs < 0) return kLongestWaitMs;
  const ULONGLONG end = since + static_cast<ULONGLONG>(limitMs);
  return now >= end ? 0 : end - now;
}

OverlappedRecord::OverlappedRecord() {
  record_.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

OverlappedRecord::~OverlappedRecord() {
  if (record_.hEvent) CloseHandle(record_.hEvent);
}

OVERLAPPED& OverlappedRecord::Fresh() {
  ResetEvent(record_.hEvent);
  record_.Offset = record_.OffsetHigh = 0;
  return record_;
}

OverlappedOutcome TransferOverlapped(HANDLE file, OverlappedRecord& record,
                                     TransferDirection direction, uint8_t* data, size_t length,
                                     const std::function<ULONGLONG(ULONGLONG now)>& msLeft) {
  OverlappedOutcome outcome;
  OVERLAPPED& io = record.Fresh();
  const DWORD count = static_cast<DWORD>(std::min<size_t>(length, 1u << 30));
  const BOOL started = direction == TransferDirection::kWrite
                           ? WriteFile(file, data, count, nullptr, &io)
                           : ReadFile(file, data, count, nullptr, &io);
  if (!started && GetLastError() != ERROR_IO_PENDING) {
    outcome.error = LastErrno();
    return outcome;
  }
  for (;;) {
    const ULONGLONG wait = std::min(msLeft(GetTickCount64()), kLongestWaitMs);
    if (WaitForSingleObject(record.Event(), static_cast<DWORD>(wait)) == WAIT_OBJECT_0) {
      outcome.completed = true;
      break;
    }
    if (wait == 0 || StopRequested()) break;
  }
  if (!outcome.completed) CancelIoEx(file, &io);
  const bool gotResult = GetOverlappedResult(file, &io, &outcome.done, TRUE) != 0;
  if (outcome.completed) {
    if (!gotResult) {
      outcome.completed = false;
      outcome.error = LastErrno();
    }
  } else {
    outcome.error = StopRequested() ? EINTR : ETIMEDOUT;
  }
  return outcome;
}

}  // namespace platform
