// USB devices from the system's device setup: the device-information set of the USB device
// interface class, each device opened through its interface path.
#include <windows.h>
// The device-setup declarations need the types windows.h brings.
#include <setupapi.h>

#include <cerrno>
#include <vector>

#include "platform/usb_device_node.h"
#include "platform/usb_devices.h"
#include "platform/win32/errors.h"

namespace platform {
namespace {

// {a5dcbf10-6530-11d2-901f-00c04fb951ed}, the interface class of every USB device.
constexpr GUID kUsbDeviceInterface = {
    0xa5dcbf10, 0x6530, 0x11d2, {0x90, 0x1f, 0x00, 0xc0, 0x4f, 0xb9, 0x51, 0xed}};

class SetupDiInterfaceList final : public UsbDeviceInterfaceList {
 public:
  explicit SetupDiInterfaceList(HDEVINFO set) : set_(set) {
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data;
    while (SetupDiEnumDeviceInterfaces(set_, nullptr, &kUsbDeviceInterface,
                                       static_cast<DWORD>(count_), &data)) {
      ++count_;
    }
  }
  ~SetupDiInterfaceList() override { SetupDiDestroyDeviceInfoList(set_); }
  SetupDiInterfaceList(const SetupDiInterfaceList&) = delete;
  SetupDiInterfaceList& operator=(const SetupDiInterfaceList&) = delete;

  size_t Count() const override { return count_; }

  SysResult<std::string> InterfacePath(size_t index) const override {
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data;
    if (!SetupDiEnumDeviceInterfaces(set_, nullptr, &kUsbDeviceInterface, static_cast<DWORD>(index),
                                     &data)) {
      return SysResult<std::string>::Fail("SetupDiEnumDeviceInterfaces", LastErrno());
    }
    DWORD needed = 0;
    SetupDiGetDeviceInterfaceDetailA(set_, &data, nullptr, 0, &needed, nullptr);
    if (needed < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) || needed > (1u << 16)) {
      return SysResult<std::string>::Fail("SetupDiGetDeviceInterfaceDetailA", EIO);
    }
    std::vector<char> buffer(needed);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(buffer.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    if (!SetupDiGetDeviceInterfaceDetailA(set_, &data, detail, needed, nullptr, nullptr)) {
      return SysResult<std::string>::Fail("SetupDiGetDeviceInterfaceDetailA", LastErrno());
    }
    return SysResult<std::string>::Ok(std::string(detail->DevicePath));
  }

 private:
  HDEVINFO set_;
  size_t count_ = 0;
};

class SetupDiUsbDevices final : public UsbDevices {
 public:
  SysResult<std::unique_ptr<UsbDeviceInterfaceList>> PresentInterfaces() const override {
    using Result = SysResult<std::unique_ptr<UsbDeviceInterfaceList>>;
    HDEVINFO set = SetupDiGetClassDevsA(&kUsbDeviceInterface, nullptr, nullptr,
                                        DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return Result::Fail("SetupDiGetClassDevsA", LastErrno());
    return Result::Ok(std::make_unique<SetupDiInterfaceList>(set));
  }

  SysResult<UsbDeviceHandle> OpenShared(const std::string& interfacePath) const override {
    HANDLE device =
        CreateFileA(interfacePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (device == INVALID_HANDLE_VALUE) {
      return SysResult<UsbDeviceHandle>::Fail("CreateFileA", LastErrno());
    }
    return SysResult<UsbDeviceHandle>::Ok(UsbDeviceHandle(reinterpret_cast<intptr_t>(device)));
  }
};

// The interface path is the name the system opens the device by.
class InterfacePathResolver final : public DevicePathResolver {
 public:
  SysResult<std::string> ResolveDevicePath(const std::string& path) const override {
    if (path.empty()) return SysResult<std::string>::Fail("resolve device path", ENOENT);
    return SysResult<std::string>::Ok(path);
  }
};

}  // namespace

void UsbDeviceHandle::Close() {
  if (handle_ != kNoHandle) CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = kNoHandle;
}

std::shared_ptr<const UsbDevices> SystemUsbDevices() {
  return std::make_shared<SetupDiUsbDevices>();
}

std::shared_ptr<const DevicePathResolver> SystemDevicePathResolver() {
  return std::make_shared<InterfacePathResolver>();
}

}  // namespace platform
