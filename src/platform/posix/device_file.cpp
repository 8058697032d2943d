#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "platform/clock.h"
#include "platform/device_file.h"
#include "platform/device_output.h"
#include "platform/posix/io.h"

namespace platform {
namespace {

using SteadyClock = std::chrono::steady_clock;

// Milliseconds left until `deadline`, or -1 when there is none.
class Deadline {
 public:
  explicit Deadline(int64_t totalMs)
      : unlimited_(totalMs < 0),
        end_(SteadyClock::now() + std::chrono::milliseconds(std::max<int64_t>(totalMs, 0))) {}

  int LeftMs() const {
    if (unlimited_) return -1;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end_ - SteadyClock::now());
    return static_cast<int>(std::clamp<int64_t>(left.count(), 0, INT32_MAX));
  }

 private:
  bool unlimited_;
  SteadyClock::time_point end_;
};

// The descriptor as the bounded write sees it.
class Output final : public DeviceOutput {
 public:
  explicit Output(int fd) : fd_(fd) {}
  SysResult<size_t> WriteSome(const uint8_t* data, size_t length) override {
    auto written = posix::Write(fd_, data, length);
    if (!written && written.error() == EAGAIN) return SysResult<size_t>::Ok(0);
    return written;
  }
  bool WaitForRoom(int ms) override {
    auto ready = posix::Poll(fd_, POLLOUT, ms);
    return ready && ready.value() != 0;
  }
  void Pause(int ms) override { clock_.SleepMs(static_cast<uint32_t>(ms)); }
  uint64_t NowMs() override { return clock_.NowMs(); }

 private:
  int fd_;
  MonotonicClock clock_;
};

class PosixDeviceFile final : public DeviceFile {
 public:
  ~PosixDeviceFile() override { Close(); }

  SysStatus Open(const std::string& path, DeviceSharing sharing) override {
    Close();
    auto fd = posix::Open(path, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (!fd) return SysStatus::Fail(fd.call(), fd.error());
    if (sharing == DeviceSharing::kExclusive) {
      if (auto locked = posix::LockExclusive(fd.value()); !locked) {
        posix::Close(fd.value());
        return locked;
      }
    }
    fd_ = fd.value();
    return OkStatus();
  }

  bool IsOpen() const override { return fd_ >= 0; }

  SysResult<size_t> Write(const uint8_t* data, size_t length, WriteLimits limits,
                          WriteCompletion completion) override {
    if (completion == WriteCompletion::kTaken) {
      // A printer driver that transfers in the background (usblp) counts a transfer as
      // written at once in non-blocking mode, drops its error and kills it on close; a
      // blocking write returns once the printer took the bytes, with the transfer's error.
      return posix::WriteBlocking(fd_, data, length, limits.stallMs);
    }
    Output output(fd_);
    return WriteWithinLimits(output, data, length, limits);
  }

  SysResult<size_t> Read(uint8_t* buffer, size_t length, ReadLimits limits) override {
    Deadline deadline(limits.totalMs);
    size_t got = 0;
    int wait = deadline.LeftMs();
    while (got < length) {
      auto ready = posix::Poll(fd_, POLLIN, wait);
      if (!ready)
        return got ? SysResult<size_t>::Ok(got)
                   : SysResult<size_t>::Fail(ready.call(), ready.error());
      if (ready.value() == 0) break;
      auto n = posix::Read(fd_, buffer + got, length - got);
      if (!n) {
        if (n.error() == EAGAIN) {
          // Ready but nothing to take: a driver without read readiness; do not spin.
          if (deadline.LeftMs() == 0) break;
          posix::Poll(-1, 0, 1);
          continue;
        }
        return got ? SysResult<size_t>::Ok(got) : n;
      }
      if (n.value() == 0) break;  // end of file: the other side has gone
      got += n.value();
      if (limits.intervalMs <= 0) break;
      const int left = deadline.LeftMs();
      if (left == 0) break;
      wait = left < 0 ? static_cast<int>(limits.intervalMs)
                      : std::min(left, static_cast<int>(limits.intervalMs));
    }
    return SysResult<size_t>::Ok(got);
  }

  void Close() override {
    posix::Close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

}  // namespace

std::unique_ptr<DeviceFile> CreateDeviceFile() {
  return std::make_unique<PosixDeviceFile>();
}

}  // namespace platform
