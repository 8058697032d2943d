// Device paths of USB printers resolved through sysfs to their usblp nodes.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/usb_device_node.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

bool IsPrinterNodeName(std::string_view name) {
  if (name.size() < 3 || name.size() > 12 || !name.starts_with("lp")) return false;
  return std::all_of(name.begin() + 2, name.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

std::string RootFromEnvironment(const char* variable, const char* fallback) {
  const char* value = std::getenv(variable);
  return (value != nullptr && *value != '\0') ? value : fallback;
}

// Directory entries whose names pass `accept`, sorted so that the choice is stable.
std::vector<std::string> SortedEntries(const fs::path& dir, bool (*accept)(std::string_view)) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
    std::string name = it->path().filename().string();
    if (accept(name)) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

std::string UsbSysfsRoot() {
  return RootFromEnvironment("QLX_SYSFS_ROOT", "/sys");
}

std::string UsbDevRoot() {
  return RootFromEnvironment("QLX_DEV_ROOT", "/dev");
}

SysfsDevicePathResolver::SysfsDevicePathResolver()
    : SysfsDevicePathResolver(UsbSysfsRoot(), UsbDevRoot()) {}

SysfsDevicePathResolver::SysfsDevicePathResolver(std::string sysfsRoot, std::string devRoot)
    : sysfsRoot_(std::move(sysfsRoot)), devRoot_(std::move(devRoot)) {}

SysResult<std::string> SysfsDevicePathResolver::ResolveDevicePath(const std::string& path) const {
  if (!path.empty() && path.front() == '/') return SysResult<std::string>::Ok(path);
  auto entry = UsbEntryFromInterfacePath(path);
  if (!entry) return SysResult<std::string>::Fail("resolve device path", ENOENT);
  const fs::path device = fs::path(sysfsRoot_) / "bus/usb/devices" / *entry;
  const std::string interfacePrefix = *entry + ":";
  std::vector<std::string> interfaces;
  std::error_code error;
  for (fs::directory_iterator it(device, error), end; !error && it != end; it.increment(error)) {
    std::string name = it->path().filename().string();
    if (name.starts_with(interfacePrefix) && IsSysfsUsbName(name)) interfaces.push_back(name);
  }
  std::sort(interfaces.begin(), interfaces.end());
  for (const std::string& name : interfaces) {
    auto nodes = SortedEntries(device / name / "usbmisc", IsPrinterNodeName);
    if (!nodes.empty()) {
      return SysResult<std::string>::Ok((fs::path(devRoot_) / "usb" / nodes.front()).string());
    }
  }
  return SysResult<std::string>::Fail("resolve device path", ENODEV);
}

std::shared_ptr<const DevicePathResolver> SystemDevicePathResolver() {
  return std::make_shared<SysfsDevicePathResolver>();
}

}  // namespace platform
