#include "ports/usb_product_match.h"

#include <cctype>
#include <charconv>
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

// The four hexadecimal digits after the first `token` ("vid_", "pid_") of `path`, in either
// letter case.
std::optional<uint16_t> IdAfter(std::string_view path, std::string_view token) {
  for (size_t at = 0; at + token.size() + 4 <= path.size(); ++at) {
    bool same = true;
    for (size_t i = 0; i < token.size() && same; ++i) {
      same = std::tolower(static_cast<unsigned char>(path[at + i])) == token[i];
    }
    if (!same) continue;
    const char* digits = path.data() + at + token.size();
    uint16_t id = 0;
    const auto [end, error] = std::from_chars(digits, digits + 4, id, 16);
    if (error != std::errc() || end != digits + 4) return std::nullopt;
    return id;
  }
  return std::nullopt;
}

}  // namespace

bool IsUsbPathOfRange(std::string_view path) {
  return Contains(path, kFirstVendorToken) || Contains(path, kSecondVendorToken);
}

std::optional<UsbIds> UsbIdsOfInterfacePath(std::string_view path) {
  const auto vendor = IdAfter(path, "vid_");
  const auto product = IdAfter(path, "pid_");
  if (!vendor || !product) return std::nullopt;
  return UsbIds{*vendor, *product};
}

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
