// USB printer discovery: the members of the settings dialog that walk the present USB
// devices and keep the printers of the wanted model.
#include <array>

#include "ports/usb_product_match.h"
#include "res/resource_ids.h"
#include "ui/port_config_dlg.h"

namespace {

// Devices are examined in batches that end at these indices; discovery stops after the
// first batch in which any device could be opened, printer or not, and after the last.
constexpr std::array<size_t, 4> kBatchEnds{8, 16, 32, 64};

constexpr const char* kDeviceClassesKey =
    "System\\CurrentControlSet\\Control\\DeviceClasses\\"
    "{a5dcbf10-6530-11d2-901f-00c04fb951ed}\\##.#";

// The registry value is read into a buffer of this many bytes, its terminator included.
constexpr size_t kDeviceInstanceCapacity = 255;

}  // namespace

void CPortConfigDlg::DiscoverUsbPrinters() {
  auto interfaces = backends.devices->PresentInterfaces();
  if (!interfaces) return;
  const platform::UsbDeviceInterfaceList& list = *interfaces.value();
  const bool win9x = backends.isWin9xPlatform && backends.isWin9xPlatform();

  bool probed = false;
  size_t index = 0;
  for (size_t batchEnd : kBatchEnds) {
    for (; index < batchEnd; ++index) {
      if (index >= list.Count()) return;
      std::string path;
      auto device = OpenDeviceInterface(list, index, path);
      if (!device) continue;
      probed = true;
      device->Close();

      bool keep;
      if (win9x) {
        keep = LookUpUsbModelInRegistry(path, wantedModelCode) > 0;
      } else {
        const int32_t code = UsbModelCodeForInterfacePath(path);
        keep = code != -1 && code == wantedModelCode;
      }
      if (!keep) continue;
      UsbPrinterEntry entry{UsbPrinterName(usbPrinters.size() + 1), path};
      if (listOnly == 0) AddString(res::kPortCombo, entry.name);
      usbPrinters.push_back(std::move(entry));
    }
    if (probed) return;
  }
}

std::optional<platform::UsbDeviceHandle> CPortConfigDlg::OpenDeviceInterface(
    const platform::UsbDeviceInterfaceList& interfaces, size_t index, std::string& path) {
  auto interfacePath = interfaces.InterfacePath(index);
  if (!interfacePath) return std::nullopt;
  path = interfacePath.value();
  auto device = backends.devices->OpenShared(path);
  if (!device) return std::nullopt;
  return std::move(device.value());
}

int CPortConfigDlg::LookUpUsbModelInRegistry(const std::string& path, int wantedCode) {
  if (!backends.registry) return -1;
  // The key carries the interface path without its "\\?\" prefix.
  const std::string key = kDeviceClassesKey + (path.size() > 4 ? path.substr(4) : std::string());
  auto value = backends.registry->ReadValue(key, "DeviceInstance");
  if (!value || !value.value().plainString ||
      value.value().text.size() >= kDeviceInstanceCapacity) {
    return -1;
  }
  // A plain string ends at its first terminator, whatever the stored bytes hold after it.
  const std::string& text = value.value().text;
  const int32_t code =
      UsbModelCodeForDeviceInstance(std::string_view(text).substr(0, text.find('\0')));
  return code == wantedCode ? code : -1;
}

void CPortConfigDlg::FindUsbPrinterPath(const std::string& /*modelName*/, std::string& path) {
  listOnly = 1;
  DiscoverUsbPrinters();
  for (const UsbPrinterEntry& entry : usbPrinters) {
    if (!entry.devicePath.empty()) {
      path = entry.devicePath;
      break;
    }
  }
  FreeUsbPrinters();
}

void CPortConfigDlg::FreeUsbPrinters() {
  usbPrinters.clear();
}
