#include "download/download_dlg.h"

namespace {
bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The text a queue's device names the download's port by: the device node the port map
// gives for a logical name, the name itself for anything else (a USB interface path).
std::string PortDeviceText(const platform::PortMap& map, const std::string& portName) {
  auto node = map.Resolve(portName);
  return node ? node->devicePath : portName;
}

bool IsUsbQueue(const platform::SpoolerQueue& queue) {
  return queue.deviceUri.rfind("usb:", 0) == 0;
}
}  // namespace

platform::Spooler& CDownloadDlg::SystemSpooler() {
  // Made on first use, so downloads over TCP never talk to the spooler.
  if (!spooler) spooler = platform::CreateSystemSpooler();
  return *spooler;
}

void CDownloadDlg::RedirectSpoolerPrinters(const std::string& portName,
                                           const std::string& modelName) {
  RestoreSpoolerPrinters();
  platform::Spooler& spool = SystemSpooler();
  const std::string portText = PortDeviceText(*portMap, portName);
  bool goOn = true;
  for (const auto& queue : spool.ListQueues()) {
    const bool onPort = !portText.empty() && Contains(queue.deviceUri, portText);
    const bool usbOfModel = IsUsbQueue(queue) && Contains(queue.makeAndModel, modelName);
    if (!onPort && !usbOfModel) continue;

    auto saved = std::make_unique<SavedPrinterPort>();
    saved->previousPort = queue.deviceUri;
    SavedPrinterPort& record = *saved;
    savedPrinterPorts[queue.name] = std::move(saved);
    // Once one queue could not be changed, later ones are only recorded.
    if (!goOn) continue;
    auto current = spool.GetQueue(queue.name);
    if (!current) continue;
    std::optional<bool> accepting;
    if (IsUsbQueue(current.value()) && !modelName.empty()) {
      // While moved for a model, the queue refuses jobs; its old state is kept.
      record.hasSavedAttributes = true;
      record.savedAttributes = current.value().acceptingJobs ? 1u : 0u;
      accepting = false;
    }
    if (!spool.MoveQueue(queue.name, platform::kParkedDeviceUri, accepting)) goOn = false;
  }
}

void CDownloadDlg::RestoreSpoolerPrinters() {
  if (savedPrinterPorts.empty()) return;
  platform::Spooler& spool = SystemSpooler();
  bool goOn = true;
  for (const auto& [name, record] : savedPrinterPorts) {
    if (!goOn) continue;
    if (!spool.GetQueue(name)) continue;
    std::optional<bool> accepting;
    if (record->hasSavedAttributes) accepting = record->savedAttributes != 0;
    if (!spool.MoveQueue(name, record->previousPort, accepting)) goOn = false;
  }
  savedPrinterPorts.clear();
}
