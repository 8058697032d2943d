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
#include "ports/queue_hold.h"
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

// A USB printer's port text on either system: a CUPS usb: URI naming a Windows USBnnn port.
const std::string kUsbPort = "usb://VORTANE/USB001";

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
    queues[name].stateMessage.clear();
    return platform::OkStatus();
  }
  // As CUPS does: refusing takes the request's message, taking jobs again clears it.
  platform::SysStatus SetAcceptingJobs(const std::string& name, bool accepting,
                                       const std::string& message) override {
    if (!Changeable(name)) return platform::SysStatus::Fail("accept", EPERM);
    queues[name].acceptingJobs = accepting;
    queues[name].stateMessage = accepting ? std::string() : message;
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
  EXPECT_EQ(note->holders, std::vector<long>{platform::CurrentProcessId()});

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
  const std::string gone = ParkNoteText({{999999999}, false, {}, true});
  spool.queues["dead"] = Queue("dead", "usb://V/TQR-05", "", false, true, gone);
  spool.queues["live"] = Queue("live", "usb://V/TQR-05", "", false, true,
                               ParkNoteText({{platform::CurrentProcessId()}, false, {}, true}));
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
  spool.queues["x"] = Queue("x", kUsbPort, "V TQR-05", true);
  CDownloadDlg dlg(FakePortBackends(std::make_shared<FakePrinter>()));
  dlg.SetSpooler(std::move(fake));
  dlg.RedirectSpoolerPrinters("\\\\?\\usb#vid_7a3c&pid_0105#1-1#{x}", "TQR-05");
  EXPECT_TRUE(spool.queues["x"].paused);
  EXPECT_FALSE(spool.queues["x"].acceptingJobs);
  spool.queues.erase("x");
  dlg.RestoreSpoolerPrinters();  // the queue is gone: its record is dropped all the same
  EXPECT_TRUE(dlg.savedPrinterPorts.empty());
}

// Runs 100, 200 and 300 share queues; `live` says which of them still run.
std::set<long> live;
bool IsLive(long id) {
  return live.count(id) != 0;
}

TEST(QueueHolders, EveryOrderOfStartAndEndLeavesTheStateFromBefore) {
  FakeSpooler spool;
  for (const bool firstEndsFirst : {true, false}) {
    spool.queues["q"] = Queue("q", kUsbPort, "TQR-05", true);
    live = {100, 200};
    // A serial run pauses the USB queue; a USB run of the model joins and makes it refuse.
    ASSERT_TRUE(HoldQueue(spool, "q", 100, false, IsLive));
    ASSERT_TRUE(HoldQueue(spool, "q", 200, true, IsLive));
    auto note = ReadParkNote(spool.queues["q"].stateMessage);
    ASSERT_TRUE(note);
    EXPECT_EQ(note->holders, (std::vector<long>{100, 200}));
    EXPECT_TRUE(note->acceptedJobs);
    EXPECT_FALSE(note->pausedBefore);

    const long first = firstEndsFirst ? 100 : 200;
    const long second = firstEndsFirst ? 200 : 100;
    ASSERT_TRUE(ReleaseQueue(spool, "q", first, IsLive));
    live.erase(first);
    EXPECT_TRUE(spool.queues["q"].paused);  // the other run still sends
    EXPECT_FALSE(spool.queues["q"].acceptingJobs);
    ASSERT_TRUE(ReleaseQueue(spool, "q", second, IsLive));
    EXPECT_FALSE(spool.queues["q"].paused);
    EXPECT_TRUE(spool.queues["q"].acceptingJobs);
    EXPECT_EQ(spool.queues["q"].stateMessage, "");
  }

  // Two USB runs of one model: the second never takes the first one's refusal for the
  // queue's own state.
  spool.queues["q"] = Queue("q", kUsbPort, "TQR-05", true);
  live = {100, 200};
  ASSERT_TRUE(HoldQueue(spool, "q", 100, true, IsLive));
  ASSERT_TRUE(HoldQueue(spool, "q", 200, true, IsLive));
  ASSERT_TRUE(ReleaseQueue(spool, "q", 100, IsLive));
  ASSERT_TRUE(ReleaseQueue(spool, "q", 200, IsLive));
  EXPECT_FALSE(spool.queues["q"].paused);
  EXPECT_TRUE(spool.queues["q"].acceptingJobs);
}

TEST(QueueHolders, AnAdministratorsPauseAndItsReasonComeBack) {
  FakeSpooler spool;
  spool.queues["q"] = Queue("q", kUsbPort, "TQR-05", true, true, "toner maintenance");
  live = {100};
  ASSERT_TRUE(HoldQueue(spool, "q", 100, true, IsLive));
  auto note = ReadParkNote(spool.queues["q"].stateMessage);
  ASSERT_TRUE(note);
  EXPECT_TRUE(note->pausedBefore);
  EXPECT_EQ(note->messageBefore, "toner maintenance");
  EXPECT_FALSE(spool.queues["q"].acceptingJobs);

  // The run dies: a later start puts back what the note keeps.
  live.clear();
  ResumeQueuesOfEndedRuns(spool, IsLive);
  EXPECT_TRUE(spool.queues["q"].paused);
  EXPECT_TRUE(spool.queues["q"].acceptingJobs);
  EXPECT_EQ(spool.queues["q"].stateMessage, "toner maintenance");
  ResumeQueuesOfEndedRuns(spool, IsLive);  // and then leaves the queue alone
  EXPECT_EQ(spool.queues["q"].stateMessage, "toner maintenance");
}

TEST(QueueHolders, RecoveryDropsDeadHoldersAndKeepsLiveOnesPaused) {
  FakeSpooler spool;
  spool.queues["q"] = Queue("q", kOnCom1, "", true);
  live = {100, 200, 300};
  for (long id : {100L, 200L, 300L}) ASSERT_TRUE(HoldQueue(spool, "q", id, false, IsLive));
  live = {200};
  ResumeQueuesOfEndedRuns(spool, IsLive);
  EXPECT_TRUE(spool.queues["q"].paused);
  EXPECT_EQ(ReadParkNote(spool.queues["q"].stateMessage)->holders, std::vector<long>{200});

  // A run that starts after a dead holder left the queue paused joins as its first live
  // holder, and the state from before still comes from the note.
  live = {400};
  ASSERT_TRUE(HoldQueue(spool, "q", 400, false, IsLive));
  EXPECT_EQ(ReadParkNote(spool.queues["q"].stateMessage)->holders, std::vector<long>{400});
  ASSERT_TRUE(ReleaseQueue(spool, "q", 400, IsLive));
  EXPECT_FALSE(spool.queues["q"].paused);
}

TEST(ParkNotes, ReadBackAsWrittenAndHostileTextIsNoNote) {
  ParkNote note{{812, 977}, true, "out of paper, again: (really)", true};
  const std::string text = ParkNoteText(note);
  EXPECT_EQ(text.substr(0, 62), "vrtqlx (processes 812, 977): paused for a firmware download, a");
  auto back = ReadParkNote(text);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->holders, note.holders);
  EXPECT_TRUE(back->pausedBefore);
  EXPECT_TRUE(back->acceptedJobs);
  EXPECT_EQ(back->messageBefore, note.messageBefore);
  // A note of the earlier form still reads.
  auto old =
      ReadParkNote("vrtqlx (process 42): paused for a firmware download, accepting jobs before");
  ASSERT_TRUE(old);
  EXPECT_EQ(old->holders, std::vector<long>{42});
  EXPECT_TRUE(old->acceptedJobs);
  for (const char* hostile :
       {"vrtqlx (process 99999999999): paused for a firmware download",
        "vrtqlx (process 0): paused for a firmware download",
        "vrtqlx (processes 1,): paused for a firmware download",
        "vrtqlx (process 1, 2): paused for a firmware download",
        "vrtqlx (process 7): paused for a firmware download, its message before: "}) {
    EXPECT_FALSE(ReadParkNote(hostile)) << hostile;
  }
}

}  // namespace
