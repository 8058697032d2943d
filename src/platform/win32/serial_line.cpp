// The serial line on Windows: the COM port opened for overlapped I/O, its DCB and
// COMMTIMEOUTS set from the settings, modem status from GetCommModemStatus. The driver does
// DTR/DSR and CTS output flow itself, and an overlapped write completes once its bytes are
// on their way; the write then waits for the output queue to drain.
#include "platform/serial_line.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "platform/clock.h"
#include "platform/win32/errors.h"
#include "platform/win32/overlapped_io.h"
#include "platform/win32/serial_dcb.h"

namespace platform {
namespace {

// A read takes what has arrived; it waits this long at most.
constexpr int64_t kReadWaitMs = 100;

class Win32SerialLine final : public SerialLine {
 public:
  ~Win32SerialLine() override { Close(QueuedOutput::kDrain); }

  SysStatus Open(const std::string& devicePath, ModemLines modemLines) override {
    Close(QueuedOutput::kDrain);
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
    // The reader only asks for bytes that are already waiting, so the read time-outs never
    // hold it; the port reports the time-outs it was given.
    COMMTIMEOUTS applied = CommTimeoutsFor(timeouts);
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
      auto status =
          Transfer(TransferDirection::kWrite, const_cast<uint8_t*>(data), length, limitMs, written);
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
    auto state = QueueState();
    if (!state) return SysResult<size_t>::Fail(state.call(), state.error());
    return SysResult<size_t>::Ok(state.value().cbInQue);
  }

  SysResult<size_t> Read(uint8_t* buffer, size_t length) override {
    DWORD got = 0;
    auto status = Transfer(TransferDirection::kRead, buffer, length, kReadWaitMs, got);
    if (!status) return SysResult<size_t>::Fail(status.call(), status.error());
    return SysResult<size_t>::Ok(got);
  }

  void Close(QueuedOutput queued) override {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    int64_t limitMs = 0;
    if (queued == QueuedOutput::kDrain) {
      auto waiting = output_.QueuedBytes();
      limitMs = WriteLimitMs(waiting ? waiting.value() : 0);
    }
    DrainAndRestore(output_, limitMs);
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  int64_t WriteLimitMs(size_t length) const {
    return TotalTimeoutMs(timeouts_.writeTotalMultiplier, timeouts_.writeTotalConstant, length);
  }

  // The driver's input and output queue counts; a line error it holds is cleared on the way.
  SysResult<COMSTAT> QueueState() const {
    COMSTAT state{};
    DWORD errors = 0;
    if (!ClearCommError(handle_, &errors, &state)) {
      return SysResult<COMSTAT>::Fail("ClearCommError", LastErrno());
    }
    return SysResult<COMSTAT>::Ok(state);
  }

  // One overlapped transfer, waited for within `limitMs` (negative: without limit); what
  // moved before it ran out counts, only a failure of the line itself fails it.
  SysStatus Transfer(TransferDirection direction, uint8_t* data, size_t length, int64_t limitMs,
                     DWORD& done) {
    const ULONGLONG start = GetTickCount64();
    const OverlappedOutcome outcome = TransferOverlapped(
        handle_, direction == TransferDirection::kWrite ? writeIo_ : readIo_, direction, data,
        length, [&](ULONGLONG now) { return MsLeftOf(limitMs, start, now); });
    done = outcome.done;
    if (!outcome.completed && outcome.error != ETIMEDOUT && outcome.error != EINTR) {
      return SysStatus::Fail(direction == TransferDirection::kWrite ? "WriteFile" : "ReadFile",
                             outcome.error);
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
      auto state = line_.QueueState();
      if (!state) return SysResult<size_t>::Fail(state.call(), state.error());
      return SysResult<size_t>::Ok(state.value().cbOutQue);
    }
    SysResult<bool> DsrRaised() override {
      auto modem = line_.ReadModemStatus();
      if (!modem) return SysResult<bool>::Fail(modem.call(), modem.error());
      return SysResult<bool>::Ok(modem.value().dsr);
    }
    void WaitForRoom(int ms) override { Pause(ms); }
    void Pause(int ms) override { clock_.SleepMs(static_cast<uint32_t>(ms)); }
    uint64_t NowMs() override { return clock_.NowMs(); }
    void DiscardOutput() override { PurgeComm(line_.handle_, PURGE_TXABORT | PURGE_TXCLEAR); }
    void RestoreLine() override { SetCommState(line_.handle_, &line_.saved_); }

   private:
    Win32SerialLine& line_;
    MonotonicClock clock_;
  };

  HANDLE handle_ = INVALID_HANDLE_VALUE;
  DCB saved_{};
  ModemLines modemLines_ = ModemLines::kPresent;
  CommTimeouts timeouts_{};
  OverlappedRecord writeIo_;
  OverlappedRecord readIo_;
  Output output_{*this};
};

}  // namespace

SysStatus CheckSerialLineSettings(const SerialLineSettings& settings) {
  if (!LineStateFor(DCB{}, settings, ModemLines::kPresent))
    return SysStatus::Fail("configure", EINVAL);
  return OkStatus();
}

std::unique_ptr<SerialLine> CreateSerialLine() {
  return std::make_unique<Win32SerialLine>();
}

}  // namespace platform
