#include "platform/port_map.h"

namespace platform {

// The device namespace reaches COM10 and above too, which the plain names do not.
std::string DefaultPortDevice(PortFamily family, int number) {
  return (family == PortFamily::kSerial ? "\\\\.\\COM" : "\\\\.\\LPT") + std::to_string(number);
}

std::string SystemEnvironmentHelp() {
  return "  (COMn is \\\\.\\COMn and LPTn \\\\.\\LPTn unless these name another device)\n"
         "  LOCALAPPDATA      the user's state directory\n";
}

}  // namespace platform
