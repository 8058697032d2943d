#pragma once

#include <algorithm>
#include <cerrno>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/device_file.h"
#include "platform/serial_line.h"
#include "platform/usb_device_node.h"
#include "ports/port_backends.h"

namespace portstest {

// What a fake line or device saw and how it is to behave; shared between the test and the
// fake the port owns.
struct FakeLineState {
  std::mutex lock;
  // Behaviour.
  bool failOpen = false;
  bool failConfigure = false;
  bool failModemStatus = false;
  platform::ModemStatus modem{true, true};
  // Bytes each write call takes; when the script runs out, writes take everything.
  std::deque<size_t> writeScript;
  bool failWrites = false;
  // Write attempts whose bytes have not all left the line when the attempt ends.
  int undrainedAttempts = 0;
  std::deque<uint8_t> incoming;
  // Record.
  int openCount = 0;
  int closeCount = 0;
  platform::QueuedOutput lastClose = platform::QueuedOutput::kDrain;
  std::string openedPath;
  platform::ModemLines modemLines = platform::ModemLines::kPresent;
  platform::SerialLineSettings settings;
  platform::CommTimeouts timeouts;
  int purgeCount = 0;
  std::vector<size_t> writeCalls;
  std::vector<uint8_t> written;
  std::vector<platform::ReadLimits> readLimits;
  std::vector<platform::WriteLimits> writeLimits;
  std::vector<platform::WriteCompletion> writeCompletions;

  void Deliver(const std::vector<uint8_t>& bytes) {
    std::lock_guard guard(lock);
    incoming.insert(incoming.end(), bytes.begin(), bytes.end());
  }
  size_t WriteCallCount() {
    std::lock_guard guard(lock);
    return writeCalls.size();
  }
};

class FakeSerialLine final : public platform::SerialLine {
 public:
  explicit FakeSerialLine(std::shared_ptr<FakeLineState> state) : state_(std::move(state)) {}

  platform::SysStatus Open(const std::string& path, platform::ModemLines lines) override {
    std::lock_guard guard(state_->lock);
    state_->openedPath = path;
    state_->modemLines = lines;
    if (state_->failOpen) return platform::SysStatus::Fail("open", ENOENT);
    ++state_->openCount;
    return platform::OkStatus();
  }
  platform::SysStatus Configure(const platform::SerialLineSettings& settings) override {
    std::lock_guard guard(state_->lock);
    state_->settings = settings;
    if (state_->failConfigure) return platform::SysStatus::Fail("configure", EINVAL);
    return platform::OkStatus();
  }
  platform::SysResult<platform::ModemStatus> ReadModemStatus() override {
    std::lock_guard guard(state_->lock);
    if (state_->failModemStatus) {
      return platform::SysResult<platform::ModemStatus>::Fail("ioctl(TIOCMGET)", ENOTTY);
    }
    return platform::SysResult<platform::ModemStatus>::Ok(state_->modem);
  }
  platform::SysStatus SetTimeouts(const platform::CommTimeouts& timeouts) override {
    std::lock_guard guard(state_->lock);
    state_->timeouts = timeouts;
    return platform::OkStatus();
  }
  platform::SysStatus Purge() override {
    std::lock_guard guard(state_->lock);
    ++state_->purgeCount;
    return platform::OkStatus();
  }
  platform::SerialWrite Write(const uint8_t* data, size_t length) override {
    std::lock_guard guard(state_->lock);
    state_->writeCalls.push_back(length);
    if (state_->failWrites) return {0, 0, platform::SysStatus::Fail("write", EIO)};
    size_t taken = length;
    if (!state_->writeScript.empty()) {
      taken = std::min(length, state_->writeScript.front());
      state_->writeScript.pop_front();
    }
    state_->written.insert(state_->written.end(), data, data + taken);
    if (state_->undrainedAttempts > 0) {
      --state_->undrainedAttempts;
      return {taken, state_->written.size(), platform::SysStatus::Fail("drain", ETIMEDOUT)};
    }
    if (taken < length) return {taken, 0, platform::SysStatus::Fail("write", ETIMEDOUT)};
    return {taken, 0, platform::OkStatus()};
  }
  platform::SysResult<size_t> BytesWaiting() override {
    std::lock_guard guard(state_->lock);
    return platform::SysResult<size_t>::Ok(state_->incoming.size());
  }
  platform::SysResult<size_t> Read(uint8_t* buffer, size_t length) override {
    std::lock_guard guard(state_->lock);
    const size_t n = std::min(length, state_->incoming.size());
    std::copy_n(state_->incoming.begin(), n, buffer);
    state_->incoming.erase(state_->incoming.begin(), state_->incoming.begin() + n);
    return platform::SysResult<size_t>::Ok(n);
  }
  void Close(platform::QueuedOutput queued) override {
    std::lock_guard guard(state_->lock);
    ++state_->closeCount;
    state_->lastClose = queued;
  }

 private:
  std::shared_ptr<FakeLineState> state_;
};

class FakeDeviceFile final : public platform::DeviceFile {
 public:
  explicit FakeDeviceFile(std::shared_ptr<FakeLineState> state) : state_(std::move(state)) {}

  platform::SysStatus Open(const std::string& path, platform::DeviceSharing) override {
    std::lock_guard guard(state_->lock);
    state_->openedPath = path;
    if (state_->failOpen) return platform::SysStatus::Fail("open", ENOENT);
    ++state_->openCount;
    open_ = true;
    return platform::OkStatus();
  }
  bool IsOpen() const override { return open_; }
  platform::SysResult<size_t> Write(const uint8_t* data, size_t length,
                                    platform::WriteLimits limits,
                                    platform::WriteCompletion completion) override {
    std::lock_guard guard(state_->lock);
    state_->writeCalls.push_back(length);
    state_->writeLimits.push_back(limits);
    state_->writeCompletions.push_back(completion);
    if (state_->failWrites && state_->writeScript.empty()) {
      return platform::SysResult<size_t>::Fail("write", EIO);
    }
    if (!state_->writeScript.empty()) state_->writeScript.pop_front();
    state_->written.insert(state_->written.end(), data, data + length);
    return platform::SysResult<size_t>::Ok(length);
  }
  platform::SysResult<size_t> Read(uint8_t* buffer, size_t length,
                                   platform::ReadLimits limits) override {
    std::lock_guard guard(state_->lock);
    state_->readLimits.push_back(limits);
    const size_t n = std::min(length, state_->incoming.size());
    std::copy_n(state_->incoming.begin(), n, buffer);
    state_->incoming.erase(state_->incoming.begin(), state_->incoming.begin() + n);
    return platform::SysResult<size_t>::Ok(n);
  }
  void Close() override {
    std::lock_guard guard(state_->lock);
    if (open_) ++state_->closeCount;
    open_ = false;
  }

 private:
  std::shared_ptr<FakeLineState> state_;
  bool open_ = false;
};

// Maps every path to itself, prefixed so that a test sees it went through the resolver.
class FakeResolver final : public platform::DevicePathResolver {
 public:
  platform::SysResult<std::string> ResolveDevicePath(const std::string& path) const override {
    if (path == "missing") return platform::SysResult<std::string>::Fail("resolve", ENOENT);
    return platform::SysResult<std::string>::Ok("/fake/" + path);
  }
};

// Backends whose every line and device share one state; the port map reads `environment`.
inline PortBackends FakeBackends(std::shared_ptr<FakeLineState> state,
                                 std::function<const char*(const char*)> environment = {},
                                 bool win9x = false) {
  PortBackends backends;
  backends.makeSerialLine = [state] { return std::make_unique<FakeSerialLine>(state); };
  backends.makeDeviceFile = [state] { return std::make_unique<FakeDeviceFile>(state); };
  backends.portMap = std::make_shared<platform::PortMap>(
      environment ? environment : [](const char*) -> const char* { return nullptr; });
  backends.resolver = std::make_shared<FakeResolver>();
  backends.isWin9xPlatform = [win9x] { return win9x; };
  return backends;
}

}  // namespace portstest
