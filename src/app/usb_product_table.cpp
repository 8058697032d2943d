#include "app/usb_product_table.h"

#include "app/model_codes.h"

namespace {

// In catalogue order. TQR-02 is sold under the second vendor and TQR-06 has no identifier
// of its own; the last two identifiers belong to products outside the catalogue.
constexpr std::array<UsbProduct, kFirstVendorProductCount> kFirstVendorProducts{{
    {"pid_0101", kModelTQR01}, {"pid_0103", kModelTQR03}, {"pid_0104", kModelTQR04},
    {"pid_0105", kModelTQR05}, {"pid_0107", kModelTQR07}, {"pid_0108", kModelTQT08},
    {"pid_0109", kModelTQR09}, {"pid_010a", kModelTQR10}, {"pid_010b", kModelTQR11},
    {"pid_010c", kModelTQR12}, {"pid_010d", kModelTQR13}, {"pid_010e", kModelTQR14},
    {"pid_010f", kModelTQR15}, {"pid_0110", kModelTQR16}, {"pid_0111", kModelTQR17},
    {"pid_0112", kModelTQB18}, {"pid_0113", kModelTQR19}, {"pid_0114", kModelTQR20},
    {"pid_0115", kModelTQS21}, {"pid_0116", kModelTQS22}, {"pid_0117", kModelTQR23},
    {"pid_0118", kModelTQR24}, {"pid_0119", kModelTQR25}, {"pid_011a", kModelTQR26},
    {"pid_\t\t", kModelTQR27},  // never matches a path: no identifier is known for it
    {"pid_011c", kModelTQT28}, {"pid_011d", kModelTQM29}, {"pid_011e", kModelTQR30},
    {"pid_011f", kModelTQR31}, {"pid_0120", kModelTQR32}, {"pid_0121", kModelTQR33},
    {"pid_0122", kModelTQR34}, {"pid_0123", kModelTQR35}, {"pid_0124", kModelTQG36},
    {"pid_0125", kModelTQR37}, {"pid_0126", kModelTQR38}, {"pid_0127", kModelTQR39},
    {"pid_01f0", 2901},        {"pid_01f1", 2902},
}};

constexpr UsbProduct kSecondVendorProduct{"pid_0002", kModelTQR02};

constexpr std::array<UsbProduct, kRegistryProductCount> kFirstVendorRegistryProducts{{
    {"PID_0101", kModelTQR01},
    {"PID_0103", kModelTQR03},
    {"PID_0104", kModelTQR04},
    {"PID_0105", kModelTQR05},
    {"PID_0107", kModelTQR07},
    {"PID_0108", kModelTQT08},
    {"PID_0109", kModelTQR09},
    {"PID_010A", kModelTQR10},
    {"PID_010B", kModelTQR11},
}};

constexpr UsbProduct kSecondVendorRegistryProduct{"PID_0002", kModelTQR02};

}  // namespace

const std::array<UsbProduct, kFirstVendorProductCount>& FirstVendorProducts() {
  return kFirstVendorProducts;
}

const UsbProduct& SecondVendorProduct() {
  return kSecondVendorProduct;
}

const std::array<UsbProduct, kRegistryProductCount>& FirstVendorRegistryProducts() {
  return kFirstVendorRegistryProducts;
}

const UsbProduct& SecondVendorRegistryProduct() {
  return kSecondVendorRegistryProduct;
}
