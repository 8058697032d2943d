#include "platform/spooler_port_text.h"

#include <string.h>

#include <string_view>

namespace platform {

namespace {
// What the program puts before the name of COM10 and above.
constexpr std::string_view kDevicePrefix = "\\\\.\\";

bool Contains(const std::string& text, const std::string& part) {
  return !part.empty() && text.find(part) != std::string::npos;
}

std::string WithoutDevicePrefix(const std::string& name) {
  return name.starts_with(kDevicePrefix) ? name.substr(kDevicePrefix.size()) : name;
}
}  // namespace

// Windows port texts are the ports' own names ("COM5:", "LPT1:", "USB001", several of them
// comma-separated). A port above COM9 is named "\\.\COM12" by the program, but a printer may
// list it either way.
bool PortTextNamesPort(const std::string& portText, const std::string& portName,
                       const std::string& /*portDevice*/) {
  return Contains(portText, portName) || Contains(portText, WithoutDevicePrefix(portName));
}

// A port text lists port names, each ending in a colon ("COM5:,LPT1:"); COM10 and above
// may stand with or without "\\.\" in front.
bool PortTextIsPort(const std::string& portText, const std::string& portName,
                    const std::string& /*portDevice*/) {
  const std::string bare = WithoutDevicePrefix(portName);
  size_t start = 0;
  while (start <= portText.size()) {
    size_t end = portText.find(',', start);
    if (end == std::string::npos) end = portText.size();
    std::string entry = portText.substr(start, end - start);
    while (!entry.empty() && (entry.back() == ':' || entry.back() == ' ')) entry.pop_back();
    while (!entry.empty() && entry.front() == ' ') entry.erase(0, 1);
    if (_stricmp(WithoutDevicePrefix(entry).c_str(), bare.c_str()) == 0) return true;
    start = end + 1;
  }
  return false;
}

bool PortTextIsUsb(const std::string& portText) {
  return portText.find("USB") != std::string::npos;
}

}  // namespace platform
