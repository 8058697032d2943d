#pragma once

#include <windows.h>

#include "platform/usb_device_registry.h"

namespace platform {

// The system's registry under one hive: the local machine's for the program, another one
// (the user's) for tests that write keys of their own.
class Win32DeviceRegistry final : public DeviceRegistry {
 public:
  explicit Win32DeviceRegistry(HKEY hive = HKEY_LOCAL_MACHINE) : hive_(hive) {}
  SysResult<RegistryValue> ReadValue(const std::string& keyName,
                                     const std::string& valueName) const override;

 private:
  HKEY hive_;
};

}  // namespace platform
