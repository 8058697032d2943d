#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// A product identifier token as it appears in a USB device path ("pid_0105") or in the
// device registry ("PID_0105"), and the model code it stands for.
struct UsbProduct {
  std::string_view token;
  int32_t code;
};

inline constexpr std::string_view kFirstVendorToken = "vid_7a3c";
inline constexpr std::string_view kSecondVendorToken = "vid_6e21";
inline constexpr std::string_view kFirstVendorRegistryToken = "VID_7A3C";
inline constexpr std::string_view kSecondVendorRegistryToken = "VID_6E21";

inline constexpr size_t kFirstVendorProductCount = 39;
inline constexpr size_t kRegistryProductCount = 9;

// The first vendor's products for matching device paths, in the order they are tried.
const std::array<UsbProduct, kFirstVendorProductCount>& FirstVendorProducts();
const UsbProduct& SecondVendorProduct();

// The registry spelling: nine of the first vendor's products, and the second vendor's one.
const std::array<UsbProduct, kRegistryProductCount>& FirstVendorRegistryProducts();
const UsbProduct& SecondVendorRegistryProduct();
