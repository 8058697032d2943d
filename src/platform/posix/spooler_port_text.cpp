#include "platform/spooler_port_text.h"

namespace platform {

// A CUPS queue names its device by URI (serial:/dev/ttyS0?baud=9600, parallel:/dev/lp0):
// the port is found by the device node the port map gives for it.
bool PortTextNamesPort(const std::string& portText, const std::string& /*portName*/,
                       const std::string& portDevice) {
  return !portDevice.empty() && portText.find(portDevice) != std::string::npos;
}

// The device of a URI is what follows its scheme (and an empty authority "//"), up to its
// options: serial:/dev/ttyS0?baud=9600 prints to /dev/ttyS0.
bool PortTextIsPort(const std::string& portText, const std::string& /*portName*/,
                    const std::string& portDevice) {
  const size_t colon = portText.find(':');
  if (colon == std::string::npos || portDevice.empty()) return false;
  std::string device = portText.substr(colon + 1);
  if (device.rfind("//", 0) == 0 && device.size() > 2 && device[2] == '/') device.erase(0, 2);
  device = device.substr(0, device.find_first_of("?#"));
  return device == portDevice;
}

bool PortTextIsUsb(const std::string& portText) {
  return portText.rfind("usb:", 0) == 0;
}

}  // namespace platform
