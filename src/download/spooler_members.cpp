#include <cerrno>

#include "app/event_log.h"
#include "download/download_dlg.h"
#include "platform/clock.h"
#include "platform/queue_note_lock.h"
#include "platform/spooler_port_text.h"
#include "ports/park_note.h"
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

// A lock that could not be had is said on standard error and in the log, whatever the run.
void SayLockProblem(const platform::QueueNoteLock& lock) {
  if (lock.problem().empty()) return;
  CEventLog::GetInstance()->Report(CEventLog::kSilent, CEventLog::kMessage, lock.problem());
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
  queueRefusal.clear();
  platform::Spooler& spool = SystemSpooler();
  const std::string device = PortDevice(*portMap, portName);
  const platform::QueueNoteLock lock;
  SayLockProblem(lock);
  const auto listed = spool.ListQueues();
  if (!listed) {
    // A scheduler that is there and did not answer may have queues on the port: they are
    // said to be live before the first byte goes.
    if (!platform::StopRequested()) {
      CEventLog::GetInstance()->Warn("the print queues could not be listed (" + listed.Describe() +
                                     "): queues on " + portName + " were not paused");
    }
    return;
  }
  const HolderJudge judge = SystemHolderJudge();
  bool goOn = true;
  for (const auto& queue : listed.value()) {
    const bool usb = platform::PortTextIsUsb(queue.deviceUri);
    const bool onPort = platform::PortTextNamesPort(queue.deviceUri, portName, device);
    const bool usbOfModel = usb && Contains(queue.makeAndModel, modelName);
    if (!onPort && !usbOfModel) continue;

    auto saved = std::make_unique<SavedPrinterPort>();
    saved->previousPort = queue.deviceUri;
    SavedPrinterPort& record = *saved;
    savedPrinterPorts[queue.name] = std::move(saved);
    // Once a run must not download, or a stop was asked for, later ones are only recorded.
    if (!goOn || platform::StopRequested()) continue;
    // While parked for a model, a USB queue also refuses jobs.
    const bool refuseJobs = usb && !modelName.empty();
    bool messageCut = false;
    const auto held = HoldQueue(spool, queue.name, judge, refuseJobs, messageCut);
    if (!held && held.error() == ENOSPC) {
      // A run the note cannot name could have its queue resumed under it by another run's
      // end: it does not download.
      queueRefusal = "Printer <" + queue.name + "> is held by as many runs as its note can name";
      goOn = false;
      continue;
    }
    if (!held) {
      // Pausing keeps the queue's device and every job; a queue that cannot be paused (no
      // right to, or a spooler that will not) is said and skipped, and the others of the
      // port are still held while the download goes on.
      CEventLog::GetInstance()->Warn("printer <" + queue.name +
                                     "> could not be paused: " + held.Describe());
      continue;
    }
    if (messageCut) {
      CEventLog::GetInstance()->Warn("the message of printer <" + queue.name +
                                     "> is too long to keep beside its note: it comes back cut "
                                     "after a whole character");
    }
    record.held = true;
  }
  lastRenewalMs = platform::CurrentClock().NowMs();
}

void CDownloadDlg::RenewQueueHolds() {
  const uint64_t now = platform::CurrentClock().NowMs();
  if (now - lastRenewalMs < static_cast<uint64_t>(kRenewSeconds) * 1000) return;
  lastRenewalMs = now;
  bool holds = false;
  for (const auto& [name, record] : savedPrinterPorts) holds = holds || record->held;
  if (!holds) return;
  platform::Spooler& spool = SystemSpooler();
  const platform::QueueNoteLock lock;
  SayLockProblem(lock);
  const HolderJudge judge = SystemHolderJudge();
  // A renewal that fails is tried again at the next one; ten fit into a lease.
  for (const auto& [name, record] : savedPrinterPorts) {
    if (record->held && !platform::StopRequested()) RenewQueue(spool, name, judge);
  }
}

void CDownloadDlg::RestoreSpoolerPrinters() {
  if (savedPrinterPorts.empty()) return;
  platform::Spooler& spool = SystemSpooler();
  const platform::QueueNoteLock lock(platform::LockWait::kThroughStop);
  SayLockProblem(lock);
  const HolderJudge judge = SystemHolderJudge();
  // Every record is tried, whatever became of the others; those that could not be put
  // back stay for another try when the window ends (and a later start's recovery).
  for (auto it = savedPrinterPorts.begin(); it != savedPrinterPorts.end();) {
    const std::string& name = it->first;
    if (!it->second->held) {
      it = savedPrinterPorts.erase(it);
      continue;
    }
    const auto released = ReleaseQueue(spool, name, judge);
    // A queue that is gone has nothing to put back; a spooler that cannot be reached has.
    if (released || released.error() == ENOENT) {
      it = savedPrinterPorts.erase(it);
      continue;
    }
    Report("Printer <" + name + "> could not be resumed");
    ++it;
  }
}
