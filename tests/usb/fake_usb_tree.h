#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/usb_devices.h"
#include "ports/usb_discovery_backends.h"
#include "support/temp_dir.h"

// A sysfs tree and a /dev of the test's own: USB devices with identifier files of any
// content and, for printers, a usblp node that is a regular file or a FIFO.
class FakeUsbTree {
 public:
  enum class Node { kNone, kRegularFile, kFifo };

  FakeUsbTree() {
    std::filesystem::create_directories(sysfs() + "/bus/usb/devices");
    std::filesystem::create_directories(dev() + "/usb");
  }

  std::string sysfs() const { return root_.Join("sys"); }
  std::string dev() const { return root_.Join("dev"); }

  // A device whose identifier files hold exactly the texts given; answers its node's path
  // (empty without one).
  std::string AddRawDevice(const std::string& entry, const std::string& vendorText,
                           const std::string& productText, Node node) {
    const std::string device = sysfs() + "/bus/usb/devices/" + entry;
    std::filesystem::create_directories(device + "/" + entry + ":1.0");
    testsupport::WriteFile(device + "/idVendor", vendorText);
    testsupport::WriteFile(device + "/idProduct", productText);
    if (node == Node::kNone) return std::string();
    const std::string lp = "lp" + std::to_string(nextNode_++);
    std::filesystem::create_directories(device + "/" + entry + ":1.0/usbmisc/" + lp);
    const std::string path = dev() + "/usb/" + lp;
    if (node == Node::kFifo) {
      EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
    } else {
      testsupport::WriteFile(path, "");
    }
    return path;
  }

  std::string AddDevice(const std::string& entry, uint16_t vendor, uint16_t product,
                        Node node = Node::kRegularFile) {
    return AddRawDevice(entry, IdText(vendor), IdText(product), node);
  }

  static std::string IdText(uint16_t id) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x\n", id);
    return text;
  }

  static std::string PathOf(const std::string& entry, uint16_t vendor, uint16_t product) {
    return platform::UsbInterfacePath(vendor, product, entry);
  }

  UsbDiscoveryBackends Backends() const {
    UsbDiscoveryBackends backends = UsbDiscoveryBackends::System();
    backends.devices = std::make_shared<platform::SysfsUsbDevices>(sysfs(), dev());
    return backends;
  }

 private:
  testsupport::TempDir root_;
  int nextNode_ = 0;
};

inline constexpr uint16_t kFirstVendor = 0x7a3c;
inline constexpr uint16_t kSecondVendor = 0x6e21;
