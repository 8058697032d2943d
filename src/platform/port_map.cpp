#include "platform/port_map.h"

#include <cstdlib>
#include <string_view>

namespace platform {
namespace {

constexpr std::string_view kNoModemSuffix = ",nomodem";
// The dialog lists COM1 to COM20, but the system numbers serial ports (USB adapters above
// all) as far as COM255, and any COMn of a command line or settings file is \\.\COMn.
constexpr int kHighestComPort = 255;

// The number after `prefix` when `name` is exactly prefix + 1 to 3 digits with no leading
// zero and the number lies in 1…highest.
std::optional<int> PortNumber(std::string_view name, std::string_view prefix, int highest) {
  if (!name.starts_with(prefix)) return std::nullopt;
  std::string_view digits = name.substr(prefix.size());
  if (digits.empty() || digits.size() > 3 || digits.front() == '0') return std::nullopt;
  int number = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + (c - '0');
  }
  if (number > highest) return std::nullopt;
  return number;
}

}  // namespace

PortMap::PortMap() : lookup_([](const char* name) { return std::getenv(name); }) {}

PortMap::PortMap(EnvironmentLookup lookup) : lookup_(std::move(lookup)) {}

std::optional<PortNode> PortMap::Resolve(const std::string& portName) const {
  std::string variable;
  std::string fallback;
  if (auto n = PortNumber(portName, "COM", 9)) {
    variable = "QLX_COM" + std::to_string(*n);
    fallback = DefaultPortDevice(PortFamily::kSerial, *n);
  } else if (auto n = PortNumber(portName, "\\\\.\\COM", kHighestComPort)) {
    variable = "QLX_COM" + std::to_string(*n);
    fallback = DefaultPortDevice(PortFamily::kSerial, *n);
  } else if (auto n = PortNumber(portName, "LPT", 3)) {
    variable = "QLX_LPT" + std::to_string(*n);
    fallback = DefaultPortDevice(PortFamily::kParallel, *n);
  } else {
    return std::nullopt;
  }
  const char* value = lookup_ ? lookup_(variable.c_str()) : nullptr;
  if (value == nullptr || *value == '\0') return PortNode{fallback, false};
  std::string_view text(value);
  PortNode node;
  if (text.ends_with(kNoModemSuffix)) {
    text.remove_suffix(kNoModemSuffix.size());
    node.noModem = true;
  }
  node.devicePath = std::string(text);
  return node;
}

}  // namespace platform
