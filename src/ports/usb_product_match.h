#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The model code a USB device-interface path stands for by its vendor and product tokens:
// the first of the first vendor's products whose token the path contains, the second
// vendor's product, or -1.
int32_t UsbModelCodeForInterfacePath(std::string_view path);

// The same test on a device instance text of the registry, in its upper-case spelling and
// with the registry's shorter product list.
int32_t UsbModelCodeForDeviceInstance(std::string_view text);

// "USB%03d:" of `ordinal` (1 for the first printer found).
std::string UsbPrinterName(size_t ordinal);
