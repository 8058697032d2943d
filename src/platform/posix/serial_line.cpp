// The serial line on Linux. Uses the kernel's termios2 interface so that any rate the
// driver takes can be set (BOTHER), not only the fixed B-constants. Output XON/XOFF is kept
// here rather than by the driver's IXON, which many drivers (cdc_acm among them) ignore.
#include "platform/serial_line.h"

#include <asm/termbits.h>
#include <fcntl.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>

#include "platform/clock.h"
#include "platform/posix/closing_wait.h"
#include "platform/posix/io.h"
#include "platform/xon_xoff_watch.h"

namespace platform {
namespace {

// Writes `settings` into the copy `line` of a line's state; false for settings no line here
// takes. Both the line's configuration and a dry run's look at the job go through it.
bool ApplySettings(const SerialLineSettings& settings, ModemLines modemLines, termios2& line) {
  if (settings.baudRate <= 0) return false;
  tcflag_t size = 0;
  switch (settings.dataBits) {
    case 5:
      size = CS5;
      break;
    case 6:
      size = CS6;
      break;
    case 7:
      size = CS7;
      break;
    case 8:
      size = CS8;
      break;
    default:
      return false;
  }
  tcflag_t parity = 0;
  switch (settings.parity) {
    case 0:
      break;
    case 1:
      parity = PARENB | PARODD;
      break;
    case 2:
      parity = PARENB;
      break;
    case 3:
      parity = PARENB | PARODD | CMSPAR;
      break;
    case 4:
      parity = PARENB | CMSPAR;
      break;
    default:
      return false;
  }
  tcflag_t stop = 0;
  switch (settings.stopBits) {
    case 0:
      break;
    case 2:
      stop = CSTOPB;
      break;
    // The line drivers here have no one-and-a-half stop bits; refusing is better than
    // sending a frame the printer does not expect.
    default:
      return false;
  }
  line.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                    IXANY | INPCK | IUCLC | IMAXBEL);
  line.c_oflag &= ~OPOST;
  line.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  line.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CBAUD | CIBAUD);
  line.c_cflag |= CREAD | CLOCAL | BOTHER | size | parity | stop;
  line.c_ispeed = line.c_ospeed = static_cast<speed_t>(settings.baudRate);
  if (parity != 0) line.c_iflag |= INPCK;
  if (settings.flowControl == SerialFlowControl::kXonXoff) {
    // The driver sends XON/XOFF for its input; the output side is kept by this line.
    line.c_iflag |= IXOFF;
    // A line without modem signals has no CTS to wait for.
    if (modemLines == ModemLines::kPresent) line.c_cflag |= CRTSCTS;
  }
  line.c_cc[VMIN] = 1;
  line.c_cc[VTIME] = 0;
  return true;
}

class PosixSerialLine final : public SerialLine {
 public:
  ~PosixSerialLine() override { Close(QueuedOutput::kDrain); }

  SysStatus Open(const std::string& devicePath, ModemLines modemLines) override {
    Close(QueuedOutput::kDrain);
    auto fd = posix::Open(devicePath, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (!fd) return SysStatus::Fail(fd.call(), fd.error());
    // TIOCEXCL keeps other openers out, except privileged ones; the advisory lock covers
    // those that cooperate (the program's own discovery and a second instance).
    SysStatus status = posix::IoctlNoArg(fd.value(), TIOCEXCL, "ioctl(TIOCEXCL)");
    if (status) status = posix::LockExclusive(fd.value());
    if (status) status = posix::IoctlPointer(fd.value(), TCGETS2, &saved_, "ioctl(TCGETS2)");
    if (!status) {
      posix::Close(fd.value());
      return status;
    }
    fd_ = fd.value();
    devicePath_ = devicePath;
    modemLines_ = modemLines;
    return OkStatus();
  }

  SysStatus Configure(const SerialLineSettings& settings) override {
    if (fd_ < 0) return SysStatus::Fail("configure", EBADF);
    termios2 line = saved_;
    if (!ApplySettings(settings, modemLines_, line)) return SysStatus::Fail("configure", EINVAL);
    if (auto status = SetModemLines(settings.flowControl); !status) return status;
    if (auto status = posix::IoctlPointer(fd_, TCSETS2, &line, "ioctl(TCSETS2)"); !status) {
      return status;
    }
    termios2 applied{};
    if (auto status = posix::IoctlPointer(fd_, TCGETS2, &applied, "ioctl(TCGETS2)"); !status) {
      return status;
    }
    if (applied.c_ospeed == 0) return SysStatus::Fail("ioctl(TCSETS2)", EINVAL);
    flowControl_ = settings.flowControl;
    xonXoff_.Release();
    return OkStatus();
  }

  SysResult<ModemStatus> ReadModemStatus() override {
    if (modemLines_ == ModemLines::kAbsent) return SysResult<ModemStatus>::Ok({true, true});
    auto bits = posix::IoctlGetInt(fd_, TIOCMGET, "ioctl(TIOCMGET)");
    if (!bits) return SysResult<ModemStatus>::Fail(bits.call(), bits.error());
    return SysResult<ModemStatus>::Ok(
        {(bits.value() & TIOCM_DSR) != 0, (bits.value() & TIOCM_CTS) != 0});
  }

  SysStatus SetTimeouts(const CommTimeouts& timeouts) override {
    if (fd_ < 0) return SysStatus::Fail("timeouts", EBADF);
    timeouts_ = timeouts;
    return OkStatus();
  }

  SysStatus Purge() override { return posix::IoctlInt(fd_, TCFLSH, TCIOFLUSH, "ioctl(TCFLSH)"); }

  SerialWrite Write(const uint8_t* data, size_t length) override {
    if (fd_ < 0) return {0, 0, SysStatus::Fail("write", EBADF)};
    const bool paced =
        flowControl_ == SerialFlowControl::kXonXoff || modemLines_ == ModemLines::kPresent;
    return WriteDrained(output_, data, length, WriteLimitMs(length), paced);
  }

  SysResult<size_t> BytesWaiting() override {
    auto count = posix::IoctlGetInt(fd_, FIONREAD, "ioctl(FIONREAD)");
    if (!count) return SysResult<size_t>::Fail(count.call(), count.error());
    return SysResult<size_t>::Ok(static_cast<size_t>(std::max(count.value(), 0)));
  }

  // Reading goes on past a run of flow bytes, so that the reader does not take it for an
  // empty line; it takes at most `length` bytes from the driver.
  SysResult<size_t> Read(uint8_t* buffer, size_t length) override {
    for (size_t taken = 0; taken < length;) {
      auto got = posix::Read(fd_, buffer, length - taken);
      if (!got && got.error() == EAGAIN) return SysResult<size_t>::Ok(0);
      if (!got || got.value() == 0 || flowControl_ != SerialFlowControl::kXonXoff) return got;
      taken += got.value();
      if (const size_t kept = xonXoff_.Strip(buffer, got.value()); kept > 0) {
        return SysResult<size_t>::Ok(kept);
      }
    }
    return SysResult<size_t>::Ok(0);
  }

  void Close(QueuedOutput queued) override {
    if (fd_ < 0) return;
    int64_t limitMs = 0;
    if (queued == QueuedOutput::kDrain) {
      auto waiting = output_.QueuedBytes();
      limitMs = WriteLimitMs(waiting ? waiting.value() : 0);
    }
    DrainAndRestore(output_, limitMs);
    const auto closingWait =
        queued == QueuedOutput::kDiscard ? posix::SkipClosingWait(fd_) : std::nullopt;
    posix::IoctlNoArg(fd_, TIOCNXCL, "ioctl(TIOCNXCL)");
    posix::Close(fd_);
    fd_ = -1;
    if (closingWait) posix::RestoreClosingWait(devicePath_, *closingWait);
  }

 private:
  SysStatus SetModemLines(SerialFlowControl flowControl) {
    if (modemLines_ == ModemLines::kAbsent) return OkStatus();
    int dtr = TIOCM_DTR;
    int rts = TIOCM_RTS;
    const bool dsrMode = flowControl == SerialFlowControl::kDtrDsr;
    auto status = posix::IoctlPointer(fd_, dsrMode ? TIOCMBIS : TIOCMBIC, &dtr, "ioctl(TIOCM DTR)");
    if (!status) return status;
    return posix::IoctlPointer(fd_, dsrMode ? TIOCMBIC : TIOCMBIS, &rts, "ioctl(TIOCM RTS)");
  }

  int64_t WriteLimitMs(size_t length) const {
    return TotalTimeoutMs(timeouts_.writeTotalMultiplier, timeouts_.writeTotalConstant, length);
  }

  // The line as the output pacing sees it.
  class Output final : public SerialOutput {
   public:
    explicit Output(PosixSerialLine& line) : line_(line) {}
    SysResult<size_t> WriteSome(const uint8_t* data, size_t length) override {
      auto written = posix::Write(line_.fd_, data, length);
      if (!written && written.error() == EAGAIN) return SysResult<size_t>::Ok(0);
      return written;
    }
    SysResult<size_t> QueuedBytes() override {
      auto count = posix::IoctlGetInt(line_.fd_, TIOCOUTQ, "ioctl(TIOCOUTQ)");
      if (!count) return SysResult<size_t>::Fail(count.call(), count.error());
      return SysResult<size_t>::Ok(static_cast<size_t>(std::max(count.value(), 0)));
    }
    SysResult<bool> DsrRaised() override {
      auto modem = line_.ReadModemStatus();
      if (!modem) return SysResult<bool>::Fail(modem.call(), modem.error());
      return SysResult<bool>::Ok(modem.value().dsr);
    }
    SysResult<bool> OutputAllowed() override {
      if (line_.flowControl_ != SerialFlowControl::kXonXoff) return DsrRaised();
      return SysResult<bool>::Ok(!line_.xonXoff_.Held());
    }
    void WaitForRoom(int ms) override { posix::Poll(line_.fd_, POLLOUT, ms); }
    void Pause(int ms) override { clock_.SleepMs(static_cast<uint32_t>(ms)); }
    uint64_t NowMs() override { return clock_.NowMs(); }
    void DiscardOutput() override { posix::IoctlInt(line_.fd_, TCFLSH, TCOFLUSH, "ioctl(TCFLSH)"); }
    void RestoreLine() override {
      posix::IoctlPointer(line_.fd_, TCSETS2, &line_.saved_, "ioctl(TCSETS2)");
    }

   private:
    PosixSerialLine& line_;
    MonotonicClock clock_;
  };

  int fd_ = -1;
  std::string devicePath_;
  Output output_{*this};
  termios2 saved_{};
  ModemLines modemLines_ = ModemLines::kPresent;
  SerialFlowControl flowControl_ = SerialFlowControl::kDtrDsr;
  XonXoffWatch xonXoff_;
  CommTimeouts timeouts_{};
};

}  // namespace

SysStatus CheckSerialLineSettings(const SerialLineSettings& settings) {
  termios2 copy{};
  if (!ApplySettings(settings, ModemLines::kPresent, copy))
    return SysStatus::Fail("configure", EINVAL);
  return OkStatus();
}

std::unique_ptr<SerialLine> CreateSerialLine() {
  return std::make_unique<PosixSerialLine>();
}

}  // namespace platform
