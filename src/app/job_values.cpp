#include "app/job_values.h"

#include <algorithm>
#include <array>
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

std::optional<int32_t> DecimalInRange(std::string_view text, int32_t low, int32_t high) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < low || value > high) return std::nullopt;
  return static_cast<int32_t>(value);
}

namespace {

constexpr std::array<int32_t, 18> kStandardBaudRates{
    110,   300,   600,   1200,   2400,   4800,   9600,   14400,  19200,
    38400, 56000, 57600, 115200, 128000, 230400, 256000, 460800, 921600};

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

bool IsStandardBaudRate(int32_t rate) {
  return std::find(kStandardBaudRates.begin(), kStandardBaudRates.end(), rate) !=
         kStandardBaudRates.end();
}

std::string StandardBaudRateList() {
  std::string list;
  for (int32_t rate : kStandardBaudRates) {
    if (!list.empty()) list += ", ";
    list += std::to_string(rate);
  }
  return list;
}

std::optional<std::string> PrinterAddress(std::string_view text) {
  if (text.empty()) return std::nullopt;
  // A name whose last label is a number, or that starts with "0x", is a number in the
  // resolver's eyes: only the dotted quad is taken of those.
  const size_t lastDot = text.rfind('.');
  const std::string_view last = lastDot == std::string_view::npos ? text : text.substr(lastDot + 1);
  const bool numeric = (!last.empty() && std::all_of(last.begin(), last.end(), IsDigit)) ||
                       text.substr(0, 2) == "0x" || text.substr(0, 2) == "0X" ||
                       last.substr(0, 2) == "0x" || last.substr(0, 2) == "0X";
  if (!numeric) return std::string(text);
  std::string plain;
  size_t parts = 0;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find('.', start), text.size());
    const auto part = DecimalInRange(text.substr(start, end - start), 0, 255);
    if (!part || end - start > 3 || ++parts > 4) return std::nullopt;
    if (!plain.empty()) plain += '.';
    plain += std::to_string(*part);
    start = end + 1;
  }
  if (parts != 4) return std::nullopt;
  return plain;
}
