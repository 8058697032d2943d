#include "platform/spooler_port_text.h"

namespace platform {

// A CUPS queue names its device by URI (serial:/dev/ttyS0?baud=9600, parallel:/dev/lp0):
// the port is found by the device node the port map gives for it.
bool PortTextNamesPort(const std::string& portText, const std::string& /*portName*/,
                       const std::string& portDevice) {
  return !portDevice.empty() && portText.find(portDevice) != std::string::npos;
}

bool PortTextIsUsb(const std::string& portText) {
  return portText.rfind("usb:", 0) == 0;
}

}  // namespace platform
