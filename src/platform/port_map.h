#pragma once

#include <functional>
#include <optional>
#include <string>

namespace platform {

// The device node behind a logical port name.
struct PortNode {
  std::string devicePath;
  // Set by a ",nomodem" suffix on an override: the line has no modem status lines.
  bool noModem = false;

  bool operator==(const PortNode&) const = default;
};

enum class PortFamily { kSerial, kParallel };

// The system's own device of port `number` (from 1): /dev/ttyS(n−1) and /dev/lp(n−1) on
// Linux, \\.\COMn and \\.\LPTn on Windows.
std::string DefaultPortDevice(PortFamily family, int number);

// The lines of "--help" that tell where this system finds the ports: the default devices
// and the variables that point the USB search and the spooler elsewhere.
std::string SystemEnvironmentHelp();

// Maps the program's logical port names to device nodes: COM1 … COM9 and \\.\COM1 …
// \\.\COM255 to /dev/ttyS(n−1), LPT1 … LPT3 to /dev/lp(n−1). The environment variable
// QLX_COMn or QLX_LPTn, when set and not empty, names another node for that port.
class PortMap {
 public:
  // Looks up one environment variable; nullptr when it is not set.
  using EnvironmentLookup = std::function<const char*(const char* name)>;

  PortMap();  // reads the process environment
  explicit PortMap(EnvironmentLookup lookup);

  // nullopt for a name that is no known port.
  std::optional<PortNode> Resolve(const std::string& portName) const;

 private:
  EnvironmentLookup lookup_;
};

}  // namespace platform
