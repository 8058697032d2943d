#include "download/download_dlg.h"
#include "platform/process_probe.h"
#include "ports/park_note.h"

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
    ParkNote note{platform::CurrentProcessId(), false};
    if (IsUsbQueue(current.value()) && !modelName.empty()) {
      // While parked for a model, the queue refuses jobs; its old state is kept. It refuses
      // them before it pauses, so that no job slips in between.
      record.hasSavedAttributes = true;
      record.savedAttributes = current.value().acceptingJobs ? 1u : 0u;
      note.acceptedJobs = current.value().acceptingJobs;
      if (!spool.SetAcceptingJobs(queue.name, false)) {
        goOn = false;
        continue;
      }
    }
    // Pausing keeps the queue's device and every job: jobs sent meanwhile print afterwards.
    if (current.value().paused) continue;
    if (!spool.PauseQueue(queue.name, ParkNoteText(note))) {
      goOn = false;
      continue;
    }
    record.pausedHere = true;
  }
}

void CDownloadDlg::RestoreSpoolerPrinters() {
  if (savedPrinterPorts.empty()) return;
  platform::Spooler& spool = SystemSpooler();
  // Every record is tried, whatever became of the others; those that could not be put
  // back stay for another try when the window ends.
  for (auto it = savedPrinterPorts.begin(); it != savedPrinterPorts.end();) {
    const std::string& name = it->first;
    const SavedPrinterPort& record = *it->second;
    if (!spool.GetQueue(name)) {
      it = savedPrinterPorts.erase(it);  // the queue is gone: nothing to put back
      continue;
    }
    bool restored = true;
    if (record.pausedHere && !spool.ResumeQueue(name)) restored = false;
    if (record.hasSavedAttributes && !spool.SetAcceptingJobs(name, record.savedAttributes != 0)) {
      restored = false;
    }
    if (restored) {
      it = savedPrinterPorts.erase(it);
      continue;
    }
    Report("Printer <" + name + "> could not be resumed");
    ++it;
  }
}
