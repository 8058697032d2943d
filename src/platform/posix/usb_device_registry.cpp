#include <cerrno>

#include "platform/usb_device_registry.h"

namespace platform {

SysResult<RegistryValue> NoDeviceRegistry::ReadValue(const std::string& /*keyName*/,
                                                     const std::string& /*valueName*/) const {
  return SysResult<RegistryValue>::Fail("open registry key", ENOENT);
}

std::shared_ptr<const DeviceRegistry> SystemDeviceRegistry() {
  return std::make_shared<NoDeviceRegistry>();
}

}  // namespace platform
