#include <cerrno>

#include "app/event_log.h"
#include "download/download_dlg.h"
#include "platform/process_probe.h"
#include "platform/queue_note_lock.h"
#include "platform/spooler_port_text.h"
#include "ports/queue_hold.h"

namespace {
bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The device the port map gives for a logical name, the name itself for anything else (a
// USB interface path).
std::string PortDevice(const platform::PortMap& map, const std::string& portName) {
  auto node = map.Resolve(portName);
  return node ? node->devicePath : portName;
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
  const std::string device = PortDevice(*portMap, portName);
  const platform::QueueNoteLock lock;
  bool goOn = true;
  for (const auto& queue : spool.ListQueues()) {
    const bool usb = platform::PortTextIsUsb(queue.deviceUri);
    const bool onPort = platform::PortTextNamesPort(queue.deviceUri, portName, device);
    const bool usbOfModel = usb && Contains(queue.makeAndModel, modelName);
    if (!onPort && !usbOfModel) continue;

    auto saved = std::make_unique<SavedPrinterPort>();
    saved->previousPort = queue.deviceUri;
    SavedPrinterPort& record = *saved;
    savedPrinterPorts[queue.name] = std::move(saved);
    // Once one queue could not be changed, or a stop was asked for, later ones are only
    // recorded.
    if (!goOn || platform::StopRequested()) continue;
    // While parked for a model, a USB queue also refuses jobs.
    const bool refuseJobs = usb && !modelName.empty();
    const auto held = HoldQueue(spool, queue.name, platform::CurrentProcessId(), refuseJobs,
                                platform::IsRunningInstance);
    if (!held) {
      // Pausing keeps the queue's device and every job; a queue that cannot be paused (no
      // right to, or a spooler that will not) is said, and the download goes on.
      CEventLog::GetInstance()->Warn("printer <" + queue.name +
                                     "> could not be paused: " + held.Describe());
      goOn = false;
      continue;
    }
    record.held = true;
  }
}

void CDownloadDlg::RestoreSpoolerPrinters() {
  if (savedPrinterPorts.empty()) return;
  platform::Spooler& spool = SystemSpooler();
  const platform::QueueNoteLock lock;
  // Every record is tried, whatever became of the others; those that could not be put
  // back stay for another try when the window ends (and a later start's recovery).
  for (auto it = savedPrinterPorts.begin(); it != savedPrinterPorts.end();) {
    const std::string& name = it->first;
    if (!it->second->held) {
      it = savedPrinterPorts.erase(it);
      continue;
    }
    const auto released =
        ReleaseQueue(spool, name, platform::CurrentProcessId(), platform::IsRunningInstance);
    // A queue that is gone has nothing to put back; a spooler that cannot be reached has.
    if (released || released.error() == ENOENT) {
      it = savedPrinterPorts.erase(it);
      continue;
    }
    Report("Printer <" + name + "> could not be resumed");
    ++it;
  }
}
