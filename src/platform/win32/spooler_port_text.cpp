#include "platform/spooler_port_text.h"

#include <string.h>

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

// A port text lists port names, each ending in a colon ("COM5:,LPT1:"); COM10 and above
// may stand with or without "\\.\" in front.
bool PortTextIsPort(const std::string& portText, const std::string& portName,
                    const std::string& /*portDevice*/) {
  static const std::string kDevicePrefix = "\\\\.\\";
  const std::string bare =
      portName.rfind(kDevicePrefix, 0) == 0 ? portName.substr(kDevicePrefix.size()) : portName;
  size_t start = 0;
  while (start <= portText.size()) {
    size_t end = portText.find(',', start);
    if (end == std::string::npos) end = portText.size();
    std::string entry = portText.substr(start, end - start);
    while (!entry.empty() && (entry.back() == ':' || entry.back() == ' ')) entry.pop_back();
    while (!entry.empty() && entry.front() == ' ') entry.erase(0, 1);
    if (entry.rfind(kDevicePrefix, 0) == 0) entry.erase(0, kDevicePrefix.size());
    if (_stricmp(entry.c_str(), bare.c_str()) == 0) return true;
    start = end + 1;
  }
  return false;
}

bool PortTextIsUsb(const std::string& portText) {
  return portText.find("USB") != std::string::npos;
}

}  // namespace platform
