#pragma once

#include <functional>
#include <memory>

#include "platform/device_file.h"
#include "platform/port_map.h"
#include "platform/serial_line.h"
#include "platform/usb_device_node.h"

// The operating-system services the ports are built on. The program uses the system's;
// tests hand in fakes.
struct PortBackends {
  std::function<std::unique_ptr<platform::SerialLine>()> makeSerialLine;
  std::function<std::unique_ptr<platform::DeviceFile>()> makeDeviceFile;
  std::shared_ptr<const platform::PortMap> portMap;
  std::shared_ptr<const platform::DevicePathResolver> resolver;
  std::function<bool()> isWin9xPlatform;

  // Termios lines, device files, the port map and resolver from the process environment.
  static PortBackends System();
};
