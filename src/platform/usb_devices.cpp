#include "platform/usb_devices.h"

#include <cstdio>
#include <utility>


namespace platform {
namespace {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string UsbInterfacePath(uint16_t vendorId, uint16_t productId, std::string_view entryName) {
  char ids[24];
  std::snprintf(ids, sizeof ids, "vid_%04x&pid_%04x", vendorId, productId);
  std::string path = "\\\\?\\usb#";
  path += ids;
  path += '#';
  path += entryName;
  path += '#';
  path += kUsbDeviceInterfaceClass;
  return path;
}

std::optional<uint16_t> ParseUsbIdText(std::string_view text) {
  if (text.size() != 5 || text[4] != '\n') return std::nullopt;
  unsigned value = 0;
  for (char c : text.substr(0, 4)) {
    const int digit = HexDigitValue(c);
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<unsigned>(digit);
  }
  return static_cast<uint16_t>(value);
}

UsbDeviceHandle::~UsbDeviceHandle() {
  Close();
}

UsbDeviceHandle::UsbDeviceHandle(UsbDeviceHandle&& other) noexcept
    : handle_(std::exchange(other.handle_, kNoHandle)) {}

UsbDeviceHandle& UsbDeviceHandle::operator=(UsbDeviceHandle&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, kNoHandle);
  }
  return *this;
}

}  // namespace platform
