#pragma once

#include <memory>
#include <string>

#include "platform/sys_result.h"

namespace platform {

// A value read from the device registry.
struct RegistryValue {
  std::string text;
  bool plainString = false;  // stored as a plain string, not as a list, number or bytes
};

// The device registry of the local machine, where each device interface's key names the
// device instance it belongs to.
class DeviceRegistry {
 public:
  virtual ~DeviceRegistry() = default;
  // Value `valueName` of key `keyName`; fails when the key cannot be opened or the value
  // cannot be read.
  virtual SysResult<RegistryValue> ReadValue(const std::string& keyName,
                                             const std::string& valueName) const = 0;
};

std::shared_ptr<const DeviceRegistry> SystemDeviceRegistry();

// This system keeps no such registry: every key is missing.
class NoDeviceRegistry final : public DeviceRegistry {
 public:
  SysResult<RegistryValue> ReadValue(const std::string& keyName,
                                     const std::string& valueName) const override;
};

}  // namespace platform
