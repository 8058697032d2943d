// A device node on Windows (a parallel port, a USB printer's interface path), opened for
// overlapped I/O so that every wait is bounded. A write completes once the device has taken
// its bytes, so both kinds of completion are the same here.
#include "platform/device_file.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "platform/win32/errors.h"
#include "platform/win32/overlapped_io.h"
#include "platform/win32/serial_dcb.h"

namespace platform {
namespace {

class Win32DeviceFile final : public DeviceFile {
 public:
  ~Win32DeviceFile() override { Close(); }

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

  void ApplyPortSetup(const CommTimeouts& timeouts) override {
    COMMTIMEOUTS applied = CommTimeoutsFor(timeouts);
    SetCommTimeouts(handle_, &applied);
    PurgeComm(handle_, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
  }

  SysResult<size_t> Write(const uint8_t* data, size_t length, WriteLimits limits,
                          WriteCompletion) override {
    const ULONGLONG start = GetTickCount64();
    ULONGLONG lastProgress = start;
    size_t sent = 0;
    while (sent < length) {
      const OverlappedOutcome outcome =
          TransferOverlapped(handle_, writeIo_, TransferDirection::kWrite,
                             const_cast<uint8_t*>(data) + sent, length - sent, [&](ULONGLONG now) {
                               return std::min(MsLeftOf(limits.totalMs, start, now),
                                               MsLeftOf(limits.stallMs, lastProgress, now));
                             });
      sent += outcome.done;
      if (outcome.done > 0) lastProgress = GetTickCount64();
      if (!outcome.completed && outcome.done == 0) {
        if (sent == 0) return SysResult<size_t>::Fail("WriteFile", outcome.error);
        break;
      }
      if (outcome.done == 0) break;  // a device that takes nothing and says it is done
    }
    return SysResult<size_t>::Ok(sent);
  }

  SysResult<size_t> Read(uint8_t* buffer, size_t length, ReadLimits limits) override {
    const ULONGLONG start = GetTickCount64();
    const OverlappedOutcome outcome =
        TransferOverlapped(handle_, readIo_, TransferDirection::kRead, buffer, length,
                           [&](ULONGLONG now) { return MsLeftOf(limits.totalMs, start, now); });
    if (!outcome.completed && outcome.done == 0 && outcome.error != ETIMEDOUT) {
      return SysResult<size_t>::Fail("ReadFile", outcome.error);
    }
    return SysResult<size_t>::Ok(outcome.done);
  }

  void Close() override {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    CancelIoEx(handle_, nullptr);
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  // Reads and writes each have their own record: a reader thread may read while the
  // caller writes.
  OverlappedRecord writeIo_;
  OverlappedRecord readIo_;
};

}  // namespace

std::unique_ptr<DeviceFile> CreateDeviceFile() {
  return std::make_unique<Win32DeviceFile>();
}

}  // namespace platform
