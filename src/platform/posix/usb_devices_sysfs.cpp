#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/posix/io.h"
#include "platform/usb_devices.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// An identifier file holds five bytes; reading one more tells a longer file from it.
constexpr size_t kIdFileReadLimit = 6;

// The identifier in <device>/<name>. Only a regular file is read, and only its first few
// bytes: a FIFO would block, and a huge or endless file must not be taken in whole.
SysResult<uint16_t> ReadIdFile(const std::string& device, const char* name) {
  auto fd = posix::Open(device + "/" + name, O_RDONLY | O_NONBLOCK | O_NOCTTY);
  if (!fd) return SysResult<uint16_t>::Fail(fd.call(), fd.error());
  struct stat info {};
  if (::fstat(fd.value(), &info) != 0 || !S_ISREG(info.st_mode)) {
    posix::Close(fd.value());
    return SysResult<uint16_t>::Fail("read identifier", EINVAL);
  }
  // A regular file (and a sysfs attribute) gives all it has up to the limit in one read.
  char text[kIdFileReadLimit];
  auto got = posix::Read(fd.value(), text, sizeof text);
  posix::Close(fd.value());
  if (!got) return SysResult<uint16_t>::Fail(got.call(), got.error());
  auto id = ParseUsbIdText(std::string_view(text, got.value()));
  if (!id) return SysResult<uint16_t>::Fail("read identifier", EINVAL);
  return SysResult<uint16_t>::Ok(*id);
}

bool HasFile(const std::string& device, const char* name) {
  return ::access((device + "/" + name).c_str(), F_OK) == 0;
}

class SysfsInterfaceList final : public UsbDeviceInterfaceList {
 public:
  SysfsInterfaceList(std::string devicesDir, std::vector<std::string> entries)
      : devicesDir_(std::move(devicesDir)), entries_(std::move(entries)) {}

  size_t Count() const override { return entries_.size(); }

  SysResult<std::string> InterfacePath(size_t index) const override {
    if (index >= entries_.size()) return SysResult<std::string>::Fail("interface path", ENOENT);
    const std::string device = devicesDir_ + "/" + entries_[index];
    auto vendor = ReadIdFile(device, "idVendor");
    if (!vendor) return SysResult<std::string>::Fail(vendor.call(), vendor.error());
    auto product = ReadIdFile(device, "idProduct");
    if (!product) return SysResult<std::string>::Fail(product.call(), product.error());
    return SysResult<std::string>::Ok(
        UsbInterfacePath(vendor.value(), product.value(), entries_[index]));
  }

 private:
  std::string devicesDir_;
  std::vector<std::string> entries_;
};

}  // namespace

SysfsUsbDevices::SysfsUsbDevices() : SysfsUsbDevices(UsbSysfsRoot(), UsbDevRoot()) {}

SysfsUsbDevices::SysfsUsbDevices(std::string sysfsRoot, std::string devRoot)
    : sysfsRoot_(sysfsRoot), resolver_(std::move(sysfsRoot), std::move(devRoot)) {}

SysResult<std::unique_ptr<UsbDeviceInterfaceList>> SysfsUsbDevices::PresentInterfaces() const {
  using Result = SysResult<std::unique_ptr<UsbDeviceInterfaceList>>;
  const std::string devicesDir = sysfsRoot_ + "/bus/usb/devices";
  std::vector<std::string> entries;
  std::error_code error;
  fs::directory_iterator it(devicesDir, error);
  if (error) return Result::Fail("opendir", error.value());
  for (fs::directory_iterator end; !error && it != end; it.increment(error)) {
    std::string name = it->path().filename().string();
    // A name no USB device can carry would change the meaning of the interface path built
    // from it (a '#' or a '/' in it), so such an entry is no device.
    if (!IsUsbDeviceEntryName(name)) continue;
    const std::string device = devicesDir + "/" + name;
    if (HasFile(device, "idVendor") && HasFile(device, "idProduct")) {
      entries.push_back(std::move(name));
    }
  }
  if (error) return Result::Fail("readdir", error.value());
  std::sort(entries.begin(), entries.end());
  return Result::Ok(std::make_unique<SysfsInterfaceList>(devicesDir, std::move(entries)));
}

SysResult<UsbDeviceHandle> SysfsUsbDevices::OpenShared(const std::string& interfacePath) const {
  using Result = SysResult<UsbDeviceHandle>;
  auto node = resolver_.ResolveDevicePath(interfacePath);
  if (!node) return Result::Fail(node.call(), node.error());
  // Read-only: a writer that comes and goes would tell a FIFO's reader that its peer has
  // hung up, and the usblp driver needs no write access to say whether it is free.
  auto fd = posix::Open(node.value(), O_RDONLY | O_NONBLOCK | O_NOCTTY);
  if (!fd) return Result::Fail(fd.call(), fd.error());
  UsbDeviceHandle handle(fd.value());
  struct stat info {};
  if (::fstat(fd.value(), &info) != 0) return Result::Fail("fstat", errno);
  if (S_ISDIR(info.st_mode)) return Result::Fail("open device", EISDIR);
  // A download holds its device with an exclusive lock; a shared one cannot be had then.
  if (RetryOnInterrupt([&] { return ::flock(fd.value(), LOCK_SH | LOCK_NB); }) < 0) {
    return Result::Fail("flock", errno);
  }
  return Result::Ok(std::move(handle));
}

void UsbDeviceHandle::Close() {
  if (handle_ != kNoHandle) posix::Close(static_cast<int>(handle_));
  handle_ = kNoHandle;
}

std::shared_ptr<const UsbDevices> SystemUsbDevices() {
  return std::make_shared<SysfsUsbDevices>();
}

}  // namespace platform
