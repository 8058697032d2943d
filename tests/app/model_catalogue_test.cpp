#include "app/model_catalogue.h"

#include <gtest/gtest.h>

#include <set>

#include "app/model_codes.h"
#include "app/usb_product_table.h"

namespace {

TEST(ModelCatalogueTest, RowsInOrderWithTheirCodes) {
  const auto& rows = ModelCatalogue();
  EXPECT_EQ(rows.front().name, "TQR-01");
  EXPECT_EQ(rows[7].name, "TQT-08");
  EXPECT_EQ(rows[35].name, "TQG-36");
  EXPECT_EQ(rows.back().name, "TQR-39");
  std::set<std::string_view> names;
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].code, static_cast<int32_t>(2001 + i)) << rows[i].name;
    EXPECT_EQ(ModelCodeForName(rows[i].name), rows[i].code) << rows[i].name;
    names.insert(rows[i].name);
  }
  EXPECT_EQ(names.size(), kModelCount);
}

TEST(ModelCatalogueTest, OtherNamesGetTheFallbackCode) {
  for (const char* name : {"", "tqr-10", "TQR-10 ", " TQR-10", "TQR10", "TQR-1", "TQR-100"}) {
    EXPECT_EQ(ModelCodeForName(name), kModelTQR03) << '"' << name << '"';
  }
  EXPECT_EQ(ModelCodeForName(std::string_view("TQR-10\0", 7)), kModelTQR03);
}

TEST(ModelCatalogueTest, Families) {
  for (const char* name : {"TQR-01", "TQT", "TQM-x", "TQB-18", "TQS-99"}) {
    EXPECT_TRUE(IsKnownFamily(name)) << name;
  }
  for (const char* name : {"TQG-36", "tqr-01", "TQ", "", "XTQR"}) {
    EXPECT_FALSE(IsKnownFamily(name)) << name;
  }
}

TEST(UsbProductTableTest, ProductData) {
  const auto& products = FirstVendorProducts();
  EXPECT_EQ(products[3].token, "pid_0105");
  std::set<int32_t> codes;
  for (const UsbProduct& product : products) {
    codes.insert(product.code);
    EXPECT_NE(product.code, kModelTQR02);
    EXPECT_NE(product.code, kModelTQR06);
  }
  EXPECT_EQ(codes.size(), products.size());
  EXPECT_EQ(products[24].code, kModelTQR27);
  EXPECT_EQ(products[24].token, "pid_\t\t");
  EXPECT_EQ(SecondVendorProduct().token, "pid_0002");
  EXPECT_EQ(SecondVendorProduct().code, kModelTQR02);

  // Each registry token is the upper-case spelling of a device-path pair with its code.
  for (const UsbProduct& registry : FirstVendorRegistryProducts()) {
    std::string lower(registry.token);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    bool found = false;
    for (const UsbProduct& product : products) {
      found = found || (product.token == lower && product.code == registry.code);
    }
    EXPECT_TRUE(found) << registry.token;
  }
  EXPECT_EQ(SecondVendorRegistryProduct().token, "PID_0002");
}

}  // namespace
