#include "platform/usb_device_node.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <string_view>

namespace platform {
namespace {

constexpr std::string_view kUsbInterfacePrefix = "\\\\?\\usb#";

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

bool IsSysfsUsbName(std::string_view name) {
  if (name.empty() || name.size() > 64 || name == "." || name == "..") return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == ':';
  });
}

bool IsUsbDeviceEntryName(std::string_view name) {
  return IsSysfsUsbName(name) && name.find(':') == std::string_view::npos;
}

std::optional<std::string> UsbEntryFromInterfacePath(const std::string& path) {
  std::string_view text(path);
  if (text.size() < kUsbInterfacePrefix.size() ||
      !EqualsIgnoringCase(text.substr(0, kUsbInterfacePrefix.size()), kUsbInterfacePrefix)) {
    return std::nullopt;
  }
  text.remove_prefix(kUsbInterfacePrefix.size());
  // What follows is "<ids>#<entry>#{<class>}".
  size_t first = text.find('#');
  if (first == std::string_view::npos) return std::nullopt;
  size_t second = text.find('#', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  std::string_view entry = text.substr(first + 1, second - first - 1);
  if (!IsUsbDeviceEntryName(entry)) return std::nullopt;
  return std::string(entry);
}

}  // namespace platform
