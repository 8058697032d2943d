#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The model code a USB device-interface path stands for by its vendor and product tokens:
// the first of the first vendor's products whose token the path contains, the second
// vendor's product, or -1.
int32_t UsbModelCodeForInterfacePath(std::string_view path);

// The same test on a device instance text of the registry, in its upper-case spelling and
// with the registry's shorter product list.
int32_t UsbModelCodeForDeviceInstance(std::string_view text);

// Whether a USB device-interface path is that of a device of the printer range: it carries
// one of the two vendors' tokens.
bool IsUsbPathOfRange(std::string_view path);

// The vendor and product identifiers a device-interface path carries ("vid_7a3c&pid_0117",
// either letter case); nothing when it has no four hexadecimal digits after either token.
struct UsbIds {
  uint16_t vendor = 0;
  uint16_t product = 0;
};
std::optional<UsbIds> UsbIdsOfInterfacePath(std::string_view path);

// "USB%03d:" of `ordinal` (1 for the first printer found).
std::string UsbPrinterName(size_t ordinal);
