#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sys_result.h"
#include "platform/usb_device_node.h"

namespace platform {

// The interface class every USB device exposes, spelt as device-interface paths carry it.
inline constexpr std::string_view kUsbDeviceInterfaceClass =
    "{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

// "\\?\usb#vid_xxxx&pid_yyyy#<entry>#{a5dcbf10-6530-11d2-901f-00c04fb951ed}", the
// identifiers in lower-case hexadecimal.
std::string UsbInterfacePath(uint16_t vendorId, uint16_t productId, std::string_view entryName);

// The contents of a sysfs idVendor or idProduct file: exactly four hexadecimal digits and a
// newline. Anything else (empty, longer, binary) is no identifier.
std::optional<uint16_t> ParseUsbIdText(std::string_view text);

// A device opened through its interface path; closed when the object goes.
class UsbDeviceHandle {
 public:
  UsbDeviceHandle() = default;
  // The system's handle of the open device (a descriptor, or a Windows handle).
  explicit UsbDeviceHandle(intptr_t handle) : handle_(handle) {}
  ~UsbDeviceHandle();
  UsbDeviceHandle(UsbDeviceHandle&& other) noexcept;
  UsbDeviceHandle& operator=(UsbDeviceHandle&& other) noexcept;
  UsbDeviceHandle(const UsbDeviceHandle&) = delete;
  UsbDeviceHandle& operator=(const UsbDeviceHandle&) = delete;

  void Close();

 private:
  static constexpr intptr_t kNoHandle = -1;
  intptr_t handle_ = kNoHandle;
};

// The USB devices present when the list was taken, in enumeration order: the
// device-information set of the USB device interface class. Read by index.
class UsbDeviceInterfaceList {
 public:
  virtual ~UsbDeviceInterfaceList() = default;
  virtual size_t Count() const = 0;
  // The interface path of device `index` (below Count()); fails when the device's
  // identifiers cannot be read.
  virtual SysResult<std::string> InterfacePath(size_t index) const = 0;
};

// The system's USB devices: what is present, and whether one can be opened now.
class UsbDevices {
 public:
  virtual ~UsbDevices() = default;
  virtual SysResult<std::unique_ptr<UsbDeviceInterfaceList>> PresentInterfaces() const = 0;
  // Opens the device behind `interfacePath` for reading, shared with other readers and
  // writers. Fails when there is no device node, or a program holds the device for itself
  // (as a download does).
  virtual SysResult<UsbDeviceHandle> OpenShared(const std::string& interfacePath) const = 0;
};

// The system's USB devices (sysfs on Linux, the device-setup functions on Windows) and its
// device registry (none on Linux).
std::shared_ptr<const UsbDevices> SystemUsbDevices();

// USB devices from sysfs: every entry of <sysfs>/bus/usb/devices that has idVendor and
// idProduct files, sorted by name; a device opens through its usblp node under <dev>.
class SysfsUsbDevices final : public UsbDevices {
 public:
  // Roots from QLX_SYSFS_ROOT and QLX_DEV_ROOT, else /sys and /dev.
  SysfsUsbDevices();
  SysfsUsbDevices(std::string sysfsRoot, std::string devRoot);

  SysResult<std::unique_ptr<UsbDeviceInterfaceList>> PresentInterfaces() const override;
  SysResult<UsbDeviceHandle> OpenShared(const std::string& interfacePath) const override;

 private:
  std::string sysfsRoot_;
  SysfsDevicePathResolver resolver_;
};

}  // namespace platform
