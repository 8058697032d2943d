// The serial line on Windows: the COM port opened for overlapped I/O, its DCB and
// COMMTIMEOUTS set from the settings, modem status from GetCommModemStatus. The driver does
// DTR/DSR and CTS output flow itself, and an overlapped write completes once its bytes are
// on their way; the write then waits for the output queue to drain.
#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "platform/serial_dcb_win32.h"
#include "platform/serial_line.h"
#include "platform/stop_request.h"
#include "platform/win32_errors.h"

namespace platform {
namespace {

// A wait never lasts longer than this, so that a stop request is seen soon.
constexpr DWORD kLongestWaitMs = 100;

class OverlappedEvent {
 public:
  OverlappedEvent() { overlapped_.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr); }
  ~OverlappedEvent() {
    if (overlapped_.hEvent) CloseHandle(overlapped_.hEvent);
  }
  OverlappedEvent(const OverlappedEvent&) = delete;
  OverlappedEvent& operator=(const OverlappedEvent&) = delete;
  OVERLAPPED* get() {
    ResetEvent(overlapped_.hEvent);
    overlapped_.Offset = overlapped_.OffsetHigh = 0;
    return &overlapped_;
  }
  HANDLE event() const { return overlapped_.hEvent; }

 private:
  OVERLAPPED overlapped_{};
};

class Win32SerialLine final : public SerialLine {
 public:
  ~Win32SerialLine() override { Close(); }

  SysStatus Open(const std::string& devicePath, ModemLines modemLines) override {
    Close();
    HANDLE handle = CreateFileA(devicePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return SysStatus::Fail("CreateFileA", LastErrno());
    saved_ = DCB{};
    saved_.DCBlength = sizeof saved_;
    if (!GetCommState(handle, &saved_)) {
      const int error = LastErrno();
      CloseHandle(handle);
      return SysStatus::Fail("GetCommState", error);
    }
    handle_ = handle;
    modemLines_ = modemLines;
    return OkStatus();
  }

  SysStatus Configure(const SerialLineSettings& settings) override {
    if (handle_ == INVALID_HANDLE_VALUE) return SysStatus::Fail("configure", EBADF);
    auto line = LineStateFor(saved_, settings, modemLines_);
    if (!line) return SysStatus::Fail("configure", EINVAL);
    if (!SetCommState(handle_, &*line)) return SysStatus::Fail("SetCommState", LastErrno());
    return OkStatus();
  }

  SysResult<ModemStatus> ReadModemStatus() override {
    if (modemLines_ == ModemLines::kAbsent) return SysResult<ModemStatus>::Ok({true, true});
    DWORD status = 0;
    if (!GetCommModemStatus(handle_, &status)) {
      return SysResult<ModemStatus>::Fail("GetCommModemStatus", LastErrno());
    }
    return SysResult<ModemStatus>::Ok({(status & MS_DSR_ON) != 0, (status & MS_CTS_ON) != 0});
  }

  SysStatus SetTimeouts(const CommTimeouts& timeouts) override {
    if (handle_ == INVALID_HANDLE_VALUE) return SysStatus::Fail("timeouts", EBADF);
    timeouts_ = timeouts;
    // Reads take what is there and return at once: the reader asks for what waits.
    COMMTIMEOUTS applied{MAXDWORD, 0, 0, timeouts.writeTotalMultiplier,
                         timeouts.writeTotalConstant};
    if (!SetCommTimeouts(handle_, &applied)) return SysStatus::Fail("SetCommTimeouts", LastErrno());
    return OkStatus();
  }

  SysStatus Purge() override {
    if (!PurgeComm(handle_, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR)) {
      return SysStatus::Fail("PurgeComm", LastErrno());
    }
    return OkStatus();
  }

  SerialWrite Write(const uint8_t* data, size_t length) override {
    if (handle_ == INVALID_HANDLE_VALUE) return {0, 0, SysStatus::Fail("write", EBADF)};
    const int64_t limitMs = WriteLimitMs(length);
    const ULONGLONG start = GetTickCount64();
    SerialWrite result;
    if (length > 0) {
      DWORD written = 0;
      auto status = Transfer(/*write=*/true, const_cast<uint8_t*>(data), length, limitMs, written);
      result.queued = written;
      if (!status || written < length) {
        result.status = status ? SysStatus::Fail("WriteFile", ETIMEDOUT) : status;
        return result;
      }
    }
    const int64_t used = static_cast<int64_t>(GetTickCount64() - start);
    const int64_t left = limitMs < 0 ? -1 : std::max<int64_t>(limitMs - used, 0);
    SerialWrite drained = WriteDrained(output_, nullptr, 0, left, false);
    result.pending = drained.pending;
    result.status = drained.status;
    return result;
  }

  SysResult<size_t> BytesWaiting() override {
    COMSTAT state{};
    DWORD errors = 0;
    if (!ClearCommError(handle_, &errors, &state)) {
      return SysResult<size_t>::Fail("ClearCommError", LastErrno());
    }
    return SysResult<size_t>::Ok(state.cbInQue);
  }

  SysResult<size_t> Read(uint8_t* buffer, size_t length) override {
    DWORD got = 0;
    auto status = Transfer(/*write=*/false, buffer, length, kLongestWaitMs, got);
    if (!status) return SysResult<size_t>::Fail(status.call(), status.error());
    return SysResult<size_t>::Ok(got);
  }

  void Close() override {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    auto queued = output_.QueuedBytes();
    DrainAndRestore(output_, WriteLimitMs(queued ? queued.value() : 0));
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  int64_t WriteLimitMs(size_t length) const {
    return TotalTimeoutMs(timeouts_.writeTotalMultiplier, timeouts_.writeTotalConstant, length);
  }

  // One overlapped transfer, waited for within `limitMs` (negative: without limit) and
  // cancelled when that runs out or a stop is requested; `done` learns how many bytes moved.
  SysStatus Transfer(bool write, uint8_t* data, size_t length, int64_t limitMs, DWORD& done) {
    OverlappedEvent& io = write ? writeIo_ : readIo_;
    OVERLAPPED* overlapped = io.get();
    const DWORD count = static_cast<DWORD>(std::min<size_t>(length, 1u << 30));
    const BOOL started = write ? WriteFile(handle_, data, count, nullptr, overlapped)
                               : ReadFile(handle_, data, count, nullptr, overlapped);
    if (!started && GetLastError() != ERROR_IO_PENDING) {
      done = 0;
      return SysStatus::Fail(write ? "WriteFile" : "ReadFile", LastErrno());
    }
    const ULONGLONG start = GetTickCount64();
    for (;;) {
      const ULONGLONG used = GetTickCount64() - start;
      DWORD wait = kLongestWaitMs;
      if (limitMs >= 0) {
        if (used >= static_cast<ULONGLONG>(limitMs)) break;
        wait = static_cast<DWORD>(std::min<ULONGLONG>(limitMs - used, kLongestWaitMs));
      }
      if (WaitForSingleObject(io.event(), wait) == WAIT_OBJECT_0) break;
      if (StopRequested()) break;
    }
    if (WaitForSingleObject(io.event(), 0) != WAIT_OBJECT_0) CancelIoEx(handle_, overlapped);
    if (!GetOverlappedResult(handle_, overlapped, &done, TRUE) &&
        GetLastError() != ERROR_OPERATION_ABORTED) {
      return SysStatus::Fail("GetOverlappedResult", LastErrno());
    }
    return OkStatus();
  }

  // The line as the drain sees it.
  class Output final : public SerialOutput {
   public:
    explicit Output(Win32SerialLine& line) : line_(line) {}
    SysResult<size_t> WriteSome(const uint8_t*, size_t) override {
      return SysResult<size_t>::Ok(0);
    }
    SysResult<size_t> QueuedBytes() override {
      COMSTAT state{};
      DWORD errors = 0;
      if (!ClearCommError(line_.handle_, &errors, &state)) {
        return SysResult<size_t>::Fail("ClearCommError", LastErrno());
      }
      return SysResult<size_t>::Ok(state.cbOutQue);
    }
    SysResult<bool> DsrRaised() override {
      auto modem = line_.ReadModemStatus();
      if (!modem) return SysResult<bool>::Fail(modem.call(), modem.error());
      return SysResult<bool>::Ok(modem.value().dsr);
    }
    void WaitForRoom(int ms) override { Pause(ms); }
    void Pause(int ms) override { Sleep(static_cast<DWORD>(ms)); }
    uint64_t NowMs() override { return GetTickCount64(); }
    void DiscardOutput() override { PurgeComm(line_.handle_, PURGE_TXABORT | PURGE_TXCLEAR); }
    void RestoreLine() override { SetCommState(line_.handle_, &line_.saved_); }

   private:
    Win32SerialLine& line_;
  };

  HANDLE handle_ = INVALID_HANDLE_VALUE;
  DCB saved_{};
  ModemLines modemLines_ = ModemLines::kPresent;
  CommTimeouts timeouts_{};
  OverlappedEvent writeIo_;
  OverlappedEvent readIo_;
  Output output_{*this};
};

}  // namespace

std::unique_ptr<SerialLine> CreateSerialLine() {
  return std::make_unique<Win32SerialLine>();
}

}  // namespace platform
