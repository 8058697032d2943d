// USB printer discovery over fake sysfs trees: which devices are listed, in which order and
// under which names, how far the walk goes, and what hostile sysfs contents do.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/model_codes.h"
#include "ports/port_backends.h"
#include "ports/usb_port.h"
#include "ports/usb_product_match.h"
#include "ui/port_config_dlg.h"
#include "usb/fake_usb_tree.h"

namespace {

using Node = FakeUsbTree::Node;

std::vector<std::string> Names(const CPortConfigDlg& finder) {
  std::vector<std::string> names;
  for (const auto& entry : finder.usbPrinters) names.push_back(entry.name + " " + entry.devicePath);
  return names;
}

TEST(UsbIdText, OnlyFourHexDigitsAndANewline) {
  const std::vector<std::pair<std::string, int>> cases = {
      {"7a3c\n", 0x7a3c},
      {"7A3C\n", 0x7a3c},
      {"0000\n", 0},
      {"", -1},
      {"7a3c", -1},
      {"7a3c\n\n", -1},
      {"7a3\n", -1},
      {"7a3g\n", -1},
      {" 7a3\n", -1},
      {"7a3c\r", -1},
      {"\x00\x01\x02\x03\n", -1},
      {"17a3c\n", -1},
      {"-7a3\n", -1},
  };
  for (const auto& [text, expected] : cases) {
    auto id = platform::ParseUsbIdText(text);
    EXPECT_EQ(id ? static_cast<int>(*id) : -1, expected) << testing::PrintToString(text);
  }
}

TEST(UsbProductMatch, PathsAndDeviceInstances) {
  EXPECT_EQ(platform::UsbInterfacePath(0x7A3C, 0x010B, "3-1.4"),
            "\\\\?\\usb#vid_7a3c&pid_010b#3-1.4#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
  const std::vector<std::pair<std::string, int32_t>> paths = {
      {FakeUsbTree::PathOf("1-2", kFirstVendor, 0x0105), kModelTQR05},
      {FakeUsbTree::PathOf("1-2", kFirstVendor, 0x010a), kModelTQR10},
      {FakeUsbTree::PathOf("1-2", kFirstVendor, 0x01f0), 2901},
      {FakeUsbTree::PathOf("1-2", kFirstVendor, 0x0002), -1},  // the second vendor's product
      {FakeUsbTree::PathOf("1-2", kFirstVendor, 0x9999), -1},
      {FakeUsbTree::PathOf("1-2", kSecondVendor, 0x0002), kModelTQR02},
      {FakeUsbTree::PathOf("1-2", kSecondVendor, 0x0105), -1},
      {FakeUsbTree::PathOf("1-2", 0x1d6b, 0x0105), -1},
      {"", -1},
  };
  for (const auto& [path, code] : paths)
    EXPECT_EQ(UsbModelCodeForInterfacePath(path), code) << path;

  const std::vector<std::pair<std::string, int32_t>> instances = {
      {"USB\\VID_7A3C&PID_0105\\5&2B6F1A&0&2", kModelTQR05},
      {"USB\\VID_7A3C&PID_010B\\7", kModelTQR11},
      {"USB\\VID_7A3C&PID_0112\\7", -1},  // TQB-18 is not in the registry's list
      {"USB\\VID_6E21&PID_0002\\1", kModelTQR02},
      {"USB\\VID_6E21&PID_0105\\1", -1},
      {"usb\\vid_7a3c&pid_0105\\1", -1},
  };
  for (const auto& [text, code] : instances) {
    EXPECT_EQ(UsbModelCodeForDeviceInstance(text), code) << text;
  }
}

TEST(UsbProductMatch, TheTwoModelsWithoutAUsableIdentifierAreNeverFound) {
  for (uint32_t product = 0; product <= 0xffff; ++product) {
    for (uint16_t vendor : {kFirstVendor, kSecondVendor}) {
      const int32_t code =
          UsbModelCodeForInterfacePath(FakeUsbTree::PathOf("1-1", vendor, product));
      ASSERT_NE(code, kModelTQR06);
      ASSERT_NE(code, kModelTQR27);
    }
  }
}

class UsbDiscovery : public ::testing::Test {
 protected:
  FakeUsbTree tree;
};

TEST_F(UsbDiscovery, PrintersOfTheWantedModelInEnumerationOrder) {
  tree.AddDevice("usb1", 0x1d6b, 0x0002, Node::kNone);  // a root hub
  tree.AddDevice("1-4", kFirstVendor, 0x0105);
  tree.AddDevice("1-3", kFirstVendor, 0x0117);  // TQR-23
  tree.AddDevice("1-2", kFirstVendor, 0x0105, Node::kFifo);
  tree.AddDevice("1-5", kFirstVendor, 0x0999);  // no listed product
  tree.AddDevice("1-6", kFirstVendor, 0x0105, Node::kNone);
  std::filesystem::create_directories(tree.sysfs() + "/bus/usb/devices/1-2:1.0");

  CPortConfigDlg finder(tree.Backends());
  finder.wantedModelCode = kModelTQR05;
  finder.listOnly = 1;
  finder.DiscoverUsbPrinters();
  const std::string first = FakeUsbTree::PathOf("1-2", kFirstVendor, 0x0105);
  const std::string second = FakeUsbTree::PathOf("1-4", kFirstVendor, 0x0105);
  EXPECT_EQ(Names(finder), (std::vector<std::string>{"USB001: " + first, "USB002: " + second}));

  // The list is not emptied between passes: the names keep counting.
  finder.DiscoverUsbPrinters();
  EXPECT_EQ(Names(finder), (std::vector<std::string>{"USB001: " + first, "USB002: " + second,
                                                     "USB003: " + first, "USB004: " + second}));

  std::string path = "untouched";
  finder.FindUsbPrinterPath("TQR-05", path);
  EXPECT_EQ(path, first);
  EXPECT_TRUE(finder.usbPrinters.empty());
  EXPECT_EQ(finder.listOnly, 1);

  CPortConfigDlg other(tree.Backends());
  other.wantedModelCode = kModelTQR24;
  path = "untouched";
  other.FindUsbPrinterPath("TQR-24", path);
  EXPECT_EQ(path, "untouched");
  EXPECT_TRUE(other.usbPrinters.empty());
}

TEST_F(UsbDiscovery, SecondVendorAndModelsWithoutIdentifier) {
  tree.AddDevice("2-1", kSecondVendor, 0x0002);
  tree.AddDevice("2-2", kFirstVendor, 0x0106);  // where TQR-06 would be
  tree.AddDevice("2-3", kFirstVendor, 0x011b);  // where TQR-27 would be
  for (int32_t model : {kModelTQR02, kModelTQR06, kModelTQR27}) {
    CPortConfigDlg finder(tree.Backends());
    finder.wantedModelCode = model;
    std::string path;
    finder.FindUsbPrinterPath("", path);
    EXPECT_EQ(path, model == kModelTQR02 ? FakeUsbTree::PathOf("2-1", kSecondVendor, 2) : "")
        << model;
  }
}

// Entries "2-00" … sort in index order. Devices are examined in batches ending at 8, 16, 32
// and 64; a batch in which any device opened is the last.
TEST_F(UsbDiscovery, BatchesEndAfterAnOpenableDevice) {
  struct Case {
    const char* name;
    std::map<int, uint16_t> openable;  // index → product; all other devices have no node
    int printerIndex;
    bool found;
  };
  const std::vector<Case> cases = {
      {"nothing openable before the printer", {{9, 0x0105}}, 9, true},
      {"an openable device ends the first batch", {{3, 0x0117}, {9, 0x0105}}, 9, false},
      {"same batch as the openable device", {{3, 0x0117}, {7, 0x0105}}, 7, true},
      {"last index of the last batch", {{63, 0x0105}}, 63, true},
      {"beyond the last batch", {{64, 0x0105}}, 64, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeUsbTree batchTree;
    for (int i = 0; i < 70; ++i) {
      char entry[8];
      std::snprintf(entry, sizeof entry, "2-%02d", i);
      auto it = c.openable.find(i);
      batchTree.AddDevice(entry, kFirstVendor, it == c.openable.end() ? 0x0105 : it->second,
                          it == c.openable.end() ? Node::kNone : Node::kRegularFile);
    }
    CPortConfigDlg finder(batchTree.Backends());
    finder.wantedModelCode = kModelTQR05;
    finder.listOnly = 1;
    finder.DiscoverUsbPrinters();
    EXPECT_EQ(finder.usbPrinters.size(), c.found ? 1u : 0u);
  }
}

TEST_F(UsbDiscovery, APrinterHeldByADownloadIsNotListed) {
  tree.AddDevice("1-1", kFirstVendor, 0x0105, Node::kFifo);
  const std::string path = FakeUsbTree::PathOf("1-1", kFirstVendor, 0x0105);
  PortBackends portBackends = PortBackends::System();
  portBackends.resolver =
      std::make_shared<platform::SysfsDevicePathResolver>(tree.sysfs(), tree.dev());
  CUsbPort download(portBackends);
  PortSettings settings;
  settings.portName = path;
  settings.rxBufferSize = 8192;
  ASSERT_EQ(download.Configure(settings), 1);
  ASSERT_EQ(download.Open(0), 1);

  std::string found;
  CPortConfigDlg finder(tree.Backends());
  finder.wantedModelCode = kModelTQR05;
  finder.FindUsbPrinterPath("", found);
  EXPECT_EQ(found, "");

  download.Close();
  finder.FindUsbPrinterPath("", found);
  EXPECT_EQ(found, path);
}

TEST_F(UsbDiscovery, HostileSysfsContentsAreNoDevices) {
  const std::string huge(1 << 20, 'f');
  tree.AddRawDevice("1-1", "", "0105\n", Node::kRegularFile);
  tree.AddRawDevice("1-2", huge, "0105\n", Node::kRegularFile);
  tree.AddRawDevice("1-3", "7a3c\n", std::string("\x00\xff\x7f\n\n", 5), Node::kRegularFile);
  tree.AddRawDevice("1-4", "7a3c\n7a3c\n", "0105\n", Node::kRegularFile);
  // An identifier file that is a FIFO would block a reader for ever.
  tree.AddRawDevice("1-5", "7a3c\n", "0105\n", Node::kRegularFile);
  std::filesystem::remove(tree.sysfs() + "/bus/usb/devices/1-5/idProduct");
  ASSERT_EQ(::mkfifo((tree.sysfs() + "/bus/usb/devices/1-5/idProduct").c_str(), 0600), 0);
  // A usblp node that is a directory is no device.
  const std::string dirNode = tree.AddDevice("1-6", kFirstVendor, 0x0105, Node::kNone);
  std::filesystem::create_directories(tree.sysfs() + "/bus/usb/devices/1-6/1-6:1.0/usbmisc/lp90");
  std::filesystem::create_directories(tree.dev() + "/usb/lp90");
  // Entry names that would change the meaning of the interface path.
  tree.AddDevice("1-7#x", kFirstVendor, 0x0105);
  tree.AddDevice(std::string(80, '1'), kFirstVendor, 0x0105);
  // Only this one is a printer.
  tree.AddDevice("1-8", kFirstVendor, 0x0105);

  CPortConfigDlg finder(tree.Backends());
  finder.wantedModelCode = kModelTQR05;
  std::string found;
  finder.FindUsbPrinterPath("", found);
  EXPECT_EQ(found, FakeUsbTree::PathOf("1-8", kFirstVendor, 0x0105));

  CPortConfigDlg noTree(UsbDiscoveryBackends::System());
  noTree.wantedModelCode = kModelTQR05;
  found.clear();
  noTree.FindUsbPrinterPath("", found);
  EXPECT_EQ(found, "");
}

// On the Windows 95/98/Me family the registry decides; here a fake one stands in.
class FakeRegistry final : public platform::DeviceRegistry {
 public:
  platform::SysResult<platform::RegistryValue> ReadValue(
      const std::string& keyName, const std::string& valueName) const override {
    asked.push_back(keyName + " " + valueName);
    auto it = values.find(keyName);
    if (it == values.end()) return platform::SysResult<platform::RegistryValue>::Fail("open", 2);
    return platform::SysResult<platform::RegistryValue>::Ok(it->second);
  }
  std::map<std::string, platform::RegistryValue> values;
  mutable std::vector<std::string> asked;
};

TEST_F(UsbDiscovery, RegistryDecidesOnTheOlderPlatformFamily) {
  const std::string keyBase =
      "System\\CurrentControlSet\\Control\\DeviceClasses\\"
      "{a5dcbf10-6530-11d2-901f-00c04fb951ed}\\##.#";
  auto registry = std::make_shared<FakeRegistry>();
  auto key = [&](const char* entry) {
    return keyBase + FakeUsbTree::PathOf(entry, kFirstVendor, 0x0105).substr(4);
  };
  // The paths all say TQR-05; only the registry entries tell the models apart.
  for (const char* entry : {"1-1", "1-2", "1-3", "1-4", "1-5"}) {
    tree.AddDevice(entry, kFirstVendor, 0x0105);
  }
  registry->values[key("1-1")] = {"USB\\VID_7A3C&PID_0104\\1", true};
  registry->values[key("1-2")] = {"USB\\VID_7A3C&PID_0105\\2", true};
  registry->values[key("1-3")] = {"USB\\VID_7A3C&PID_0105\\3", false};
  registry->values[key("1-4")] = {"USB\\VID_7A3C&PID_0105\\" + std::string(240, '4'), true};
  // A plain string ends at its terminator: what follows it names no product.
  registry->values[key("1-5")] = {std::string("USB\\VID_7A3C&PID_9999") + '\0' + "PID_0105", true};

  UsbDiscoveryBackends backends = tree.Backends();
  backends.registry = registry;
  backends.isWin9xPlatform = [] { return true; };
  CPortConfigDlg finder(backends);
  finder.wantedModelCode = kModelTQR05;
  finder.listOnly = 1;
  finder.DiscoverUsbPrinters();
  ASSERT_EQ(finder.usbPrinters.size(), 1u);
  EXPECT_EQ(finder.usbPrinters[0].devicePath, FakeUsbTree::PathOf("1-2", kFirstVendor, 0x0105));
  ASSERT_EQ(registry->asked.size(), 5u);
  EXPECT_EQ(registry->asked[0], key("1-1") + " DeviceInstance");

  // The program's own backends have no registry: every look-up answers -1.
  CPortConfigDlg plain(UsbDiscoveryBackends::System());
  EXPECT_EQ(
      plain.LookUpUsbModelInRegistry(FakeUsbTree::PathOf("1-2", kFirstVendor, 0x0105), kModelTQR05),
      -1);
  EXPECT_EQ(finder.LookUpUsbModelInRegistry("", kModelTQR05), -1);
}

}  // namespace
