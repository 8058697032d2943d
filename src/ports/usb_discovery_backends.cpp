#include "ports/usb_discovery_backends.h"

#include "platform/win9x_platform.h"

UsbDiscoveryBackends UsbDiscoveryBackends::System() {
  UsbDiscoveryBackends backends;
  backends.devices = platform::SystemUsbDevices();
  backends.registry = platform::SystemDeviceRegistry();
  backends.isWin9xPlatform = [] { return platform::IsWin9xPlatform(); };
  return backends;
}
