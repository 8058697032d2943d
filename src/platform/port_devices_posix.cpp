#include "platform/port_map.h"

namespace platform {

std::string DefaultPortDevice(PortFamily family, int number) {
  return (family == PortFamily::kSerial ? "/dev/ttyS" : "/dev/lp") + std::to_string(number - 1);
}

}  // namespace platform
