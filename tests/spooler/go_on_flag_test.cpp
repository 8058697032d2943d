#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <set>

#include "app/event_log.h"
#include "download/download_dlg.h"
#include "platform/port_map.h"
#include "platform/process_probe.h"
#include "platform/spooler.h"
#include "ports/park_note.h"
#include "support/fake_printer.h"

namespace {

platform::SpoolerQueue Queue(std::string name, std::string uri, std::string makeAndModel,
                             bool accepting, bool paused = false, std::string message = {}) {
  return {std::move(name), std::move(uri), std::move(makeAndModel),
          accepting,       paused,         std::move(message)};
}

// Queues on the devices of LPT1 and COM1, whatever the system calls them.
const std::string kOnLpt1 =
    "parallel:" + platform::DefaultPortDevice(platform::PortFamily::kParallel, 1);
const std::string kOnCom1 =
    "serial:" + platform::DefaultPortDevice(platform::PortFamily::kSerial, 1);

// A spooler in memory whose changes can be made to fail for chosen queues.
class FakeSpooler final : public platform::Spooler {
 public:
  std::map<std::string, platform::SpoolerQueue> queues;
  std::set<std::string> refuseChange;
  int changes = 0;
  // Sees the queues as they are when the window that owns this spooler ends.
  std::function<void(const std::map<std::string, platform::SpoolerQueue>&)> onEnd;

  ~FakeSpooler() override {
    if (onEnd) onEnd(queues);
  }

  std::vector<platform::SpoolerQueue> ListQueues() override {
    std::vector<platform::SpoolerQueue> all;
    for (const auto& [name, queue] : queues) all.push_back(queue);
    return all;
  }
  platform::SysResult<platform::SpoolerQueue> GetQueue(const std::string& name) override {
    auto it = queues.find(name);
    if (it == queues.end()) return platform::SysResult<platform::SpoolerQueue>::Fail("get", ENOENT);
    return platform::SysResult<platform::SpoolerQueue>::Ok(it->second);
  }
  platform::SysStatus PauseQueue(const std::string& name, const std::string& message) override {
    if (!Changeable(name)) return platform::SysStatus::Fail("pause", EPERM);
    queues[name].paused = true;
    queues[name].stateMessage = message;
    return platform::OkStatus();
  }
  platform::SysStatus ResumeQueue(const std::string& name) override {
    if (!Changeable(name)) return platform::SysStatus::Fail("resume", EPERM);
    queues[name].paused = false;
    return platform::OkStatus();
  }
  platform::SysStatus SetAcceptingJobs(const std::string& name, bool accepting) override {
    if (!Changeable(name)) return platform::SysStatus::Fail("accept", EPERM);
    queues[name].acceptingJobs = accepting;
    return platform::OkStatus();
  }

 private:
  bool Changeable(const std::string& name) {
    if (refuseChange.count(name) || !queues.count(name)) return false;
    ++changes;
    return true;
  }
};

TEST(SpoolerGoOnFlag, AQueueThatCannotBeChangedStopsLaterChangesButKeepsTheirRecords) {
  auto fake = std::make_unique<FakeSpooler>();
  FakeSpooler& spool = *fake;
  // Listed in name order: a, b (refuses), c.
  spool.queues["a"] = Queue("a", kOnLpt1, "", true);
  spool.queues["b"] = Queue("b", kOnLpt1, "", true);
  spool.queues["c"] = Queue("c", kOnLpt1, "", true);
  spool.refuseChange = {"b"};
  CDownloadDlg dlg(FakePortBackends(std::make_shared<FakePrinter>()));
  dlg.SetSpooler(std::move(fake));

  dlg.RedirectSpoolerPrinters("LPT1", "");
  EXPECT_TRUE(spool.queues["a"].paused);
  EXPECT_FALSE(spool.queues["b"].paused);
  EXPECT_FALSE(spool.queues["c"].paused);
  EXPECT_EQ(spool.queues["a"].deviceUri, kOnLpt1);  // parked, never moved
  EXPECT_EQ(dlg.savedPrinterPorts.size(), 3u);

  spool.refuseChange.clear();
  dlg.RestoreSpoolerPrinters();
  EXPECT_FALSE(spool.queues["a"].paused);
  EXPECT_TRUE(dlg.savedPrinterPorts.empty());
}

TEST(SpoolerRestore, EveryQueueIsTriedAndTheOnesThatFailAreKeptForTheWindowsEnd) {
  auto fake = std::make_unique<FakeSpooler>();
  FakeSpooler& spool = *fake;
  spool.queues["a"] = Queue("a", kOnCom1, "", true);
  spool.queues["b"] = Queue("b", kOnCom1, "", true);
  // Paused by its administrator before: it stays paused.
  spool.queues["c"] = Queue("c", kOnCom1, "", true, true, "out of paper");
  auto dlg = std::make_unique<CDownloadDlg>(FakePortBackends(std::make_shared<FakePrinter>()));
  dlg->SetSpooler(std::move(fake));
  dlg->silent = 1;
  dlg->RedirectSpoolerPrinters("COM1", "");
  auto note = ReadParkNote(spool.queues["a"].stateMessage);
  ASSERT_TRUE(note);
  EXPECT_EQ(note->processId, platform::CurrentProcessId());

  spool.refuseChange = {"a"};
  dlg->RestoreSpoolerPrinters();
  EXPECT_TRUE(spool.queues["a"].paused);
  EXPECT_FALSE(spool.queues["b"].paused);
  EXPECT_TRUE(spool.queues["c"].paused);
  EXPECT_EQ(dlg->savedPrinterPorts.size(), 1u);
  EXPECT_NE(CEventLog::GetInstance()->PendingLines().find("Printer <a> could not be resumed"),
            std::string::npos);

  spool.refuseChange.clear();
  std::map<std::string, platform::SpoolerQueue> atEnd;
  spool.onEnd = [&](const auto& queues) { atEnd = queues; };
  dlg.reset();  // the window's end tries again
  EXPECT_FALSE(atEnd["a"].paused);
  EXPECT_TRUE(atEnd["c"].paused);
}

TEST(SpoolerRestore, AStartResumesOnlyQueuesOfRunsThatAreGone) {
  FakeSpooler spool;
  const std::string gone = ParkNoteText({999999999, true});
  spool.queues["dead"] = Queue("dead", "usb://V/TQR-05", "", false, true, gone);
  spool.queues["live"] = Queue("live", "usb://V/TQR-05", "", false, true,
                               ParkNoteText({platform::CurrentProcessId(), true}));
  spool.queues["admin"] = Queue("admin", "usb://V/TQR-05", "", true, true, gone + " (not ours)");
  ResumeQueuesOfEndedRuns(spool, platform::IsRunningInstance);
  EXPECT_FALSE(spool.queues["dead"].paused);
  EXPECT_TRUE(spool.queues["dead"].acceptingJobs);
  EXPECT_TRUE(spool.queues["live"].paused);
  EXPECT_TRUE(spool.queues["admin"].paused);
  EXPECT_FALSE(ReadParkNote("vrtqlx (process 99999999999): paused for a firmware download"));
}

TEST(SpoolerGoOnFlag, AQueueGoneBeforeTheMoveIsSkippedAndTriedAgainAtRestore) {
  auto fake = std::make_unique<FakeSpooler>();
  FakeSpooler& spool = *fake;
  spool.queues["x"] = Queue("x", "usb://V/TQR-05", "V TQR-05", true);
  CDownloadDlg dlg(FakePortBackends(std::make_shared<FakePrinter>()));
  dlg.SetSpooler(std::move(fake));
  dlg.RedirectSpoolerPrinters("\\\\?\\usb#vid_7a3c&pid_0105#1-1#{x}", "TQR-05");
  EXPECT_TRUE(spool.queues["x"].paused);
  EXPECT_FALSE(spool.queues["x"].acceptingJobs);
  spool.queues.erase("x");
  dlg.RestoreSpoolerPrinters();  // the queue is gone: its record is dropped all the same
  EXPECT_TRUE(dlg.savedPrinterPorts.empty());
}

}  // namespace
