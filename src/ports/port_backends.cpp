#include "ports/port_backends.h"

#include "platform/win9x_platform.h"

PortBackends PortBackends::System() {
  PortBackends backends;
  backends.makeSerialLine = [] { return platform::CreateSerialLine(); };
  backends.makeDeviceFile = [] { return platform::CreateDeviceFile(); };
  backends.portMap = std::make_shared<platform::PortMap>();
  backends.resolver = platform::SystemDevicePathResolver();
  backends.isWin9xPlatform = [] { return platform::IsWin9xPlatform(); };
  return backends;
}
