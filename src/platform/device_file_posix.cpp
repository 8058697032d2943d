#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "platform/device_file.h"
#include "platform/posix_io.h"

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

  SysResult<size_t> Write(const uint8_t* data, size_t length, int64_t totalMs) override {
    Deadline deadline(totalMs);
    size_t sent = 0;
    bool pollSaidReady = false;
    while (sent < length) {
      auto written = posix::Write(fd_, data + sent, length - sent);
      if (written) {
        sent += written.value();
        pollSaidReady = false;
        continue;
      }
      if (written.error() != EAGAIN) {
        if (sent == 0) return written;
        break;
      }
      const int left = deadline.LeftMs();
      if (left == 0) break;
      // Some printer drivers answer every poll with "ready" and still refuse the write;
      // a short pause keeps that from turning into a busy loop.
      if (pollSaidReady) posix::Poll(-1, 0, 1);
      auto ready = posix::Poll(fd_, POLLOUT, left);
      if (!ready) {
        if (sent == 0) return SysResult<size_t>::Fail(ready.call(), ready.error());
        break;
      }
      pollSaidReady = ready.value() != 0;
    }
    return SysResult<size_t>::Ok(sent);
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
