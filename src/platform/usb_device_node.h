#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/sys_result.h"

namespace platform {

// Turns the path a USB port is opened by into the device node to open.
class DevicePathResolver {
 public:
  virtual ~DevicePathResolver() = default;
  virtual SysResult<std::string> ResolveDevicePath(const std::string& path) const = 0;
};

// Where sysfs and the device nodes are: QLX_SYSFS_ROOT and QLX_DEV_ROOT when set, else /sys
// and /dev.
std::string UsbSysfsRoot();
std::string UsbDevRoot();

// sysfs names of USB devices are made of digits, letters, dots and dashes ("1-2.3", "usb1");
// interfaces add a colon. Anything else (a slash, "..") cannot be one.
bool IsSysfsUsbName(std::string_view name);

// True for a name sysfs gives a USB device ("1-2.3", "usb1"): digits, letters, dots and
// dashes, at most 64 of them; never an interface ("1-2:1.0") nor "." or "..".
bool IsUsbDeviceEntryName(std::string_view name);

// The sysfs entry name inside a USB device-interface path
// "\\?\usb#vid_XXXX&pid_XXXX#<entry>#{<interface class>}", or nullopt when the text is no
// such path or the entry is no plain sysfs name (it must never climb out of the tree).
std::optional<std::string> UsbEntryFromInterfacePath(const std::string& path);

// The system's resolver: sysfs on Linux; on Windows the interface path opens as it is.
std::shared_ptr<const DevicePathResolver> SystemDevicePathResolver();

// A path beginning with '/' is a device node already and is used as it is. A USB
// device-interface path names the usblp node of its sysfs entry: the first
// <sysfs>/bus/usb/devices/<entry>/<entry>:*/usbmisc/lpN gives <dev>/usb/lpN.
class SysfsDevicePathResolver final : public DevicePathResolver {
 public:
  // Roots from QLX_SYSFS_ROOT and QLX_DEV_ROOT, else /sys and /dev.
  SysfsDevicePathResolver();
  SysfsDevicePathResolver(std::string sysfsRoot, std::string devRoot);

  SysResult<std::string> ResolveDevicePath(const std::string& path) const override;

 private:
  std::string sysfsRoot_;
  std::string devRoot_;
};

}  // namespace platform
