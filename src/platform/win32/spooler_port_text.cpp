#include "platform/spooler_port_text.h"

namespace platform {

namespace {
bool Contains(const std::string& text, const std::string& part) {
  return !part.empty() && text.find(part) != std::string::npos;
}
}  // namespace

// Windows port texts are the ports' own names ("COM5:", "LPT1:", "USB001", several of them
// comma-separated). A port above COM9 is named "\\.\COM12" by the program, but a printer may
// list it either way.
bool PortTextNamesPort(const std::string& portText, const std::string& portName,
                       const std::string& /*portDevice*/) {
  static const std::string kDevicePrefix = "\\\\.\\";
  if (Contains(portText, portName)) return true;
  return portName.rfind(kDevicePrefix, 0) == 0 &&
         Contains(portText, portName.substr(kDevicePrefix.size()));
}

bool PortTextIsUsb(const std::string& portText) {
  return portText.find("USB") != std::string::npos;
}

}  // namespace platform
