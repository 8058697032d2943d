#pragma once

#include <functional>
#include <memory>

#include "platform/usb_device_registry.h"
#include "platform/usb_devices.h"

// The system services USB printer discovery is built on. The program uses the system's;
// tests hand in a fake sysfs tree, a fake registry or another platform family.
struct UsbDiscoveryBackends {
  std::shared_ptr<const platform::UsbDevices> devices;
  std::shared_ptr<const platform::DeviceRegistry> registry;
  std::function<bool()> isWin9xPlatform;

  // Devices from sysfs under the roots the environment names, no registry.
  static UsbDiscoveryBackends System();
};
