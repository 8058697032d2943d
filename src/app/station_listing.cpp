#include "app/station_listing.h"

#include <algorithm>
#include <memory>

#include "app/job_values.h"
#include "app/model_catalogue.h"
#include "platform/device_node_probe.h"
#include "platform/port_map.h"
#include "platform/spooler.h"
#include "platform/spooler_port_text.h"
#include "platform/usb_devices.h"
#include "ports/usb_product_match.h"

namespace {

constexpr int kHighestComPort = 255;
constexpr int kHighestLptPort = 3;

std::string ModelNameOfCode(int32_t code) {
  for (const ModelEntry& row : ModelCatalogue()) {
    if (row.code == code) return std::string(row.name);
  }
  return std::string();
}

// Nodes in the order people count them: /dev/usb/lp2 before /dev/usb/lp10; none last.
bool NodeBefore(const std::string& a, const std::string& b) {
  if (a.empty() != b.empty()) return b.empty();
  const size_t aDigits = a.find_last_not_of("0123456789") + 1;
  const size_t bDigits = b.find_last_not_of("0123456789") + 1;
  if (a.compare(0, aDigits, b, 0, bDigits) != 0 || a.size() - aDigits == b.size() - bDigits) {
    return a < b;
  }
  return a.size() - aDigits < b.size() - bDigits;
}

void ListUsbPrinters(StationListing& listing) {
  const auto devices = platform::SystemUsbDevices();
  const auto resolver = platform::SystemDevicePathResolver();
  auto present = devices->PresentInterfaces();
  if (!present) {
    listing.warnings.push_back("the USB devices could not be listed (" + present.Describe() + ")");
    return;
  }
  const platform::UsbDeviceInterfaceList& list = *present.value();
  for (size_t i = 0; i < list.Count(); ++i) {
    auto path = list.InterfacePath(i);
    if (!path || !IsUsbPathOfRange(path.value())) continue;
    const auto ids = UsbIdsOfInterfacePath(path.value());
    if (!ids) continue;
    ListedUsbPrinter printer;
    printer.model = ModelNameOfCode(UsbModelCodeForInterfacePath(path.value()));
    // A printer whose driver made no node is still listed: it is there, but cannot be sent to.
    auto node = resolver->ResolveDevicePath(path.value());
    if (node) printer.node = node.value();
    printer.vendorId = ids->vendor;
    printer.productId = ids->product;
    listing.usb.push_back(std::move(printer));
  }
  std::stable_sort(listing.usb.begin(), listing.usb.end(),
                   [](const ListedUsbPrinter& a, const ListedUsbPrinter& b) {
                     return NodeBefore(a.node, b.node);
                   });
}

// `name` is what a job names the port by; `openName` the name the port map resolves.
void ListLine(StationListing& listing, const platform::PortMap& map, const std::string& name,
              const std::string& openName, const char* kind) {
  auto node = map.Resolve(openName);
  if (!node || !platform::LinePresent(node->devicePath)) return;
  listing.lines.push_back({name, kind, node->devicePath, {}});
}

void AddQueues(StationListing& listing) {
  const auto listed = platform::CreateSystemSpoolerToList()->ListQueues();
  if (!listed) {
    listing.warnings.push_back("no print scheduler answered (" + listed.Describe() +
                               "): the queues are not listed");
    return;
  }
  for (const platform::SpoolerQueue& queue : listed.value()) {
    for (ListedUsbPrinter& printer : listing.usb) {
      // The queues a download for this model pauses.
      if (!printer.model.empty() && platform::PortTextIsUsb(queue.deviceUri) &&
          queue.makeAndModel.find(printer.model) != std::string::npos) {
        printer.queues.push_back(queue.name);
      }
    }
    for (ListedLine& line : listing.lines) {
      if (platform::PortTextIsPort(queue.deviceUri, SerialPortName(line.port), line.device)) {
        line.queues.push_back(queue.name);
      }
    }
  }
}

}  // namespace

StationListing ListStation() {
  StationListing listing;
  ListUsbPrinters(listing);
  const platform::PortMap map;
  for (int n = 1; n <= kHighestComPort; ++n) {
    const std::string name = "COM" + std::to_string(n);
    ListLine(listing, map, name, SerialPortName(name), "serial");
  }
  for (int n = 1; n <= kHighestLptPort; ++n) {
    const std::string name = "LPT" + std::to_string(n);
    ListLine(listing, map, name, name, "parallel");
  }
  AddQueues(listing);
  return listing;
}
