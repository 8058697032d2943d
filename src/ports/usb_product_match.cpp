#include "ports/usb_product_match.h"

#include <cstdio>

#include "app/usb_product_table.h"

namespace {

bool Contains(std::string_view text, std::string_view token) {
  return text.find(token) != std::string_view::npos;
}

template <typename Products>
int32_t FirstMatch(std::string_view text, const Products& products) {
  for (const UsbProduct& product : products) {
    if (Contains(text, product.token)) return product.code;
  }
  return -1;
}

int32_t SecondVendorMatch(std::string_view text, const UsbProduct& product) {
  return Contains(text, product.token) ? product.code : -1;
}

}  // namespace

int32_t UsbModelCodeForInterfacePath(std::string_view path) {
  if (Contains(path, kFirstVendorToken)) return FirstMatch(path, FirstVendorProducts());
  if (Contains(path, kSecondVendorToken)) return SecondVendorMatch(path, SecondVendorProduct());
  return -1;
}

int32_t UsbModelCodeForDeviceInstance(std::string_view text) {
  if (Contains(text, kFirstVendorRegistryToken)) {
    return FirstMatch(text, FirstVendorRegistryProducts());
  }
  if (Contains(text, kSecondVendorRegistryToken)) {
    return SecondVendorMatch(text, SecondVendorRegistryProduct());
  }
  return -1;
}

std::string UsbPrinterName(size_t ordinal) {
  char name[32];
  std::snprintf(name, sizeof name, "USB%03zu:", ordinal);
  return name;
}
