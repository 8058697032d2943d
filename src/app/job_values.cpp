#include "app/job_values.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::string_view kDevicePrefix = "\\\\.\\";

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

PortKind ClassifyPortValue(std::string_view value) {
  if (StartsWith(value, "COM") || StartsWith(value, "\\\\.\\COM")) return PortKind::kCom;
  if (StartsWith(value, "LPT")) return PortKind::kLpt;
  if (StartsWith(value, "USB")) return PortKind::kUsb;
  if (StartsWith(value, "NET")) return PortKind::kNet;
  return PortKind::kNone;
}

std::string SerialPortName(const std::string& value) {
  if (StartsWith(value, "COM") && value.size() > 4) return std::string(kDevicePrefix) + value;
  return value;
}

const char* SelectPort(PortKind kind, const std::string& value, const std::string& address,
                       PortSettings& port, RunFlags& flags) {
  switch (kind) {
    case PortKind::kCom:
      port.portName = SerialPortName(value);
      port.baudRate = 115200;
      flags.portResolved = 1;
      flags.kindCom = 1;
      return "COM";
    case PortKind::kLpt:
      port.portName = value;
      flags.portResolved = 1;
      flags.kindLpt = 1;
      return "LPT";
    case PortKind::kUsb:
      flags.portResolved = 0;
      flags.kindUsb = 1;
      return "USB";
    case PortKind::kNet:
    case PortKind::kNone:
      break;
  }
  port.portName = address;
  port.baudRate = 9100;
  flags.portResolved = 1;
  flags.kindNet = 1;
  return "NET";
}

std::string ToUpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return text;
}

int32_t LeadingDecimal(std::string_view text) {
  constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = std::min<int64_t>(value * 10 + (c - '0'), kMax);
  }
  return static_cast<int32_t>(value);
}

std::string ShownValue(const std::string& value) {
  constexpr size_t kLongest = 64;
  return value.size() <= kLongest ? value : value.substr(0, kLongest) + "...";
}
