#include "support/fake_printer.h"

#include <algorithm>
#include <cstring>

namespace {

class FakeDeviceFile final : public platform::DeviceFile {
 public:
  explicit FakeDeviceFile(std::shared_ptr<FakePrinter> printer) : printer_(std::move(printer)) {}

  platform::SysStatus Open(const std::string& path, platform::DeviceSharing) override {
    printer_->openedPaths.push_back(path);
    if (printer_->refuseOpen) return platform::SysStatus::Fail("open", ENOENT);
    printer_->open = true;
    return platform::OkStatus();
  }
  bool IsOpen() const override { return printer_->open; }
  platform::SysResult<size_t> Write(const uint8_t* data, size_t length, platform::WriteLimits,
                                    platform::WriteCompletion) override {
    if (printer_->onWrite) printer_->onWrite(length);
    size_t take = length;
    if (printer_->takeAtMost) {
      const size_t room = *printer_->takeAtMost > printer_->received.size()
                              ? *printer_->takeAtMost - printer_->received.size()
                              : 0;
      take = std::min(length, room);
    }
    printer_->writeSizes.push_back(length);
    printer_->received.insert(printer_->received.end(), data, data + take);
    if (take == 0 && length > 0) return platform::SysResult<size_t>::Fail("write", EIO);
    return platform::SysResult<size_t>::Ok(take);
  }
  platform::SysResult<size_t> Read(uint8_t* buffer, size_t length, platform::ReadLimits) override {
    if (printer_->replies.empty()) return platform::SysResult<size_t>::Ok(0);
    std::vector<uint8_t> reply = std::move(printer_->replies.front());
    printer_->replies.pop_front();
    const size_t n = std::min(length, reply.size());
    std::memcpy(buffer, reply.data(), n);
    return platform::SysResult<size_t>::Ok(n);
  }
  void Close() override { printer_->open = false; }

 private:
  std::shared_ptr<FakePrinter> printer_;
};

class FakeResolver final : public platform::DevicePathResolver {
 public:
  platform::SysResult<std::string> ResolveDevicePath(const std::string& path) const override {
    return platform::SysResult<std::string>::Ok("/fake/usb/lp0 for " + path);
  }
};

}  // namespace

PortBackends FakePortBackends(std::shared_ptr<FakePrinter> printer) {
  PortBackends backends = PortBackends::System();
  backends.makeDeviceFile = [printer] { return std::make_unique<FakeDeviceFile>(printer); };
  backends.portMap =
      std::make_shared<platform::PortMap>([](const char*) -> const char* { return nullptr; });
  backends.resolver = std::make_shared<FakeResolver>();
  backends.isWin9xPlatform = [] { return false; };
  return backends;
}
