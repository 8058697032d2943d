#include "platform/port_map.h"

namespace platform {

std::string DefaultPortDevice(PortFamily family, int number) {
  return (family == PortFamily::kSerial ? "/dev/ttyS" : "/dev/lp") + std::to_string(number - 1);
}

std::string SystemEnvironmentHelp() {
  return "  (COMn is /dev/ttyS(n-1) and LPTn /dev/lp(n-1) unless these name another node)\n"
         "  QLX_SYSFS_ROOT    where USB printers are looked for (default /sys)\n"
         "  QLX_DEV_ROOT      where their device nodes are (default /dev)\n"
         "  CUPS_SERVER       the print scheduler whose queues are paused during a download\n"
         "  XDG_STATE_HOME    the user's state directory (default ~/.local/state)\n";
}

}  // namespace platform
