// A device node on Windows (a parallel port, a USB printer's interface path), opened for
// overlapped I/O so that every wait is bounded. A write completes once the device has taken
// its bytes, so both kinds of completion are the same here.
#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "platform/device_file.h"
#include "platform/stop_request.h"
#include "platform/win32_errors.h"

namespace platform {
namespace {

// A wait never lasts longer than this, so that a stop request is seen soon.
constexpr ULONGLONG kLongestWaitMs = 100;

ULONGLONG LeftOf(int64_t limitMs, ULONGLONG since, ULONGLONG now) {
  if (limitMs < 0) return kLongestWaitMs;
  const ULONGLONG end = since + static_cast<ULONGLONG>(limitMs);
  return now >= end ? 0 : end - now;
}

class Win32DeviceFile final : public DeviceFile {
 public:
  // Reads and writes each have their own record: a reader thread may read while the
  // caller writes.
  Win32DeviceFile() {
    writeIo_.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    readIo_.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  }
  ~Win32DeviceFile() override {
    Close();
    for (OVERLAPPED* io : {&writeIo_, &readIo_}) {
      if (io->hEvent) CloseHandle(io->hEvent);
    }
  }

  SysStatus Open(const std::string& path, DeviceSharing sharing) override {
    Close();
    const DWORD share =
        sharing == DeviceSharing::kExclusive ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return SysStatus::Fail("CreateFileA", LastErrno());
    handle_ = handle;
    return OkStatus();
  }

  bool IsOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }

  SysResult<size_t> Write(const uint8_t* data, size_t length, WriteLimits limits,
                          WriteCompletion) override {
    const ULONGLONG start = GetTickCount64();
    ULONGLONG lastProgress = start;
    size_t sent = 0;
    while (sent < length) {
      DWORD done = 0;
      const bool finished = Transfer(
          true, const_cast<uint8_t*>(data) + sent, length - sent,
          [&](ULONGLONG now) {
            return std::min(LeftOf(limits.totalMs, start, now),
                            LeftOf(limits.stallMs, lastProgress, now));
          },
          done);
      sent += done;
      if (done > 0) lastProgress = GetTickCount64();
      if (!finished && done == 0) {
        if (sent == 0) return SysResult<size_t>::Fail("WriteFile", lastError_);
        break;
      }
      if (done == 0) break;  // a device that takes nothing and says it is done
    }
    return SysResult<size_t>::Ok(sent);
  }

  SysResult<size_t> Read(uint8_t* buffer, size_t length, ReadLimits limits) override {
    const ULONGLONG start = GetTickCount64();
    DWORD done = 0;
    const bool finished = Transfer(
        false, buffer, length, [&](ULONGLONG now) { return LeftOf(limits.totalMs, start, now); },
        done);
    if (!finished && done == 0 && lastError_ != ETIMEDOUT) {
      return SysResult<size_t>::Fail("ReadFile", lastError_);
    }
    return SysResult<size_t>::Ok(done);
  }

  void Close() override {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    CancelIoEx(handle_, nullptr);
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  // One overlapped transfer; `left(now)` tells how long it may still wait. True when it
  // completed by itself, false when it failed, ran out of time or was stopped (then
  // cancelled); `done` learns how many bytes moved either way.
  template <typename Left>
  bool Transfer(bool write, uint8_t* data, size_t length, Left left, DWORD& done) {
    OVERLAPPED& io = write ? writeIo_ : readIo_;
    ResetEvent(io.hEvent);
    io.Offset = io.OffsetHigh = 0;
    const DWORD count = static_cast<DWORD>(std::min<size_t>(length, 1u << 30));
    const BOOL started = write ? WriteFile(handle_, data, count, nullptr, &io)
                               : ReadFile(handle_, data, count, nullptr, &io);
    if (!started && GetLastError() != ERROR_IO_PENDING) {
      lastError_ = LastErrno();
      done = 0;
      return false;
    }
    bool completed = false;
    for (;;) {
      const ULONGLONG wait = std::min(left(GetTickCount64()), kLongestWaitMs);
      if (WaitForSingleObject(io.hEvent, static_cast<DWORD>(wait)) == WAIT_OBJECT_0) {
        completed = true;
        break;
      }
      if (wait == 0 || StopRequested()) break;
    }
    if (!completed) CancelIoEx(handle_, &io);
    if (!GetOverlappedResult(handle_, &io, &done, TRUE)) {
      lastError_ = completed ? LastErrno() : (StopRequested() ? EINTR : ETIMEDOUT);
      return false;
    }
    if (!completed) lastError_ = StopRequested() ? EINTR : ETIMEDOUT;
    return completed;
  }

  HANDLE handle_ = INVALID_HANDLE_VALUE;
  OVERLAPPED writeIo_{};
  OVERLAPPED readIo_{};
  int lastError_ = 0;
};

}  // namespace

std::unique_ptr<DeviceFile> CreateDeviceFile() {
  return std::make_unique<Win32DeviceFile>();
}

}  // namespace platform
