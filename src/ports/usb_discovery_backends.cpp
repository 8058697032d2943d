#include "ports/usb_discovery_backends.h"

#include "platform/win9x_platform.h"

UsbDiscoveryBackends UsbDiscoveryBackends::System() {
  UsbDiscoveryBackends backends;
  backends.devices = std::make_shared<platform::SysfsUsbDevices>();
  backends.registry = std::make_shared<platform::NoDeviceRegistry>();
  backends.isWin9xPlatform = [] { return platform::IsWin9xPlatform(); };
  return backends;
}
