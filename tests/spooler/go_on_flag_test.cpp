#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "app/event_log.h"
#include "app/run_report.h"
#include "download/download_dlg.h"
#include "platform/port_map.h"
#include "platform/process_probe.h"
#include "platform/spooler.h"
#include "platform/stop_request.h"
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
  std::set<std::string> refusePause;
  int changes = 0;
  // Sees the queues as they are when the window that owns this spooler ends.
  std::function<void(const std::map<std::string, platform::SpoolerQueue>&)> onEnd;
  // Called as a queue is resumed.
  std::function<void()> onResume;

  ~FakeSpooler() override {
    if (onEnd) onEnd(queues);
  }

  platform::SysResult<std::vector<platform::SpoolerQueue>> ListQueues() override {
    std::vector<platform::SpoolerQueue> all;
    for (const auto& [name, queue] : queues) all.push_back(queue);
    return platform::SysResult<std::vector<platform::SpoolerQueue>>::Ok(all);
  }
  platform::SysResult<platform::SpoolerQueue> GetQueue(const std::string& name) override {
    auto it = queues.find(name);
    if (it == queues.end()) return platform::SysResult<platform::SpoolerQueue>::Fail("get", ENOENT);
    return platform::SysResult<platform::SpoolerQueue>::Ok(it->second);
  }
  platform::SysStatus PauseQueue(const std::string& name, const std::string& message) override {
    if (refusePause.count(name) || !Changeable(name)) {
      return platform::SysStatus::Fail("pause", EPERM);
    }
    queues[name].paused = true;
    // As CUPS does: a longer message is cut, wherever that falls.
    queues[name].stateMessage = message.substr(0, 1023);
    return platform::OkStatus();
  }
  platform::SysStatus ResumeQueue(const std::string& name) override {
    if (!Changeable(name)) return platform::SysStatus::Fail("resume", EPERM);
    if (onResume) onResume();
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

TEST(SpoolerGoOnFlag, AQueueThatCannotBeChangedIsSkippedAndTheOthersAreStillHeld) {
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
  EXPECT_TRUE(spool.queues["c"].paused);
  EXPECT_EQ(spool.queues["a"].deviceUri, kOnLpt1);  // parked, never moved
  EXPECT_EQ(dlg.savedPrinterPorts.size(), 3u);

  spool.refuseChange.clear();
  dlg.RestoreSpoolerPrinters();
  EXPECT_FALSE(spool.queues["a"].paused);
  EXPECT_FALSE(spool.queues["c"].paused);
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
  ASSERT_EQ(note->holders.size(), 1u);
  EXPECT_EQ(note->holders[0].run, platform::CurrentRun());

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

// The end step's restore has no later look at the stop signal: the run's report must still
// say it was stopped, and every queue goes back all the same.
TEST(SpoolerRestore, AStopDuringTheEndStepsRestoreIsAnInterruptedRun) {
  auto fake = std::make_unique<FakeSpooler>();
  FakeSpooler& spool = *fake;
  spool.queues["a"] = Queue("a", kOnCom1, "", true);
  spool.queues["b"] = Queue("b", kOnCom1, "", true);
  spool.onResume = [] { platform::SetPendingStopSignalForTest(SIGTERM); };
  CDownloadDlg dlg(FakePortBackends(std::make_shared<FakePrinter>()));
  dlg.SetSpooler(std::move(fake));
  dlg.RedirectSpoolerPrinters("COM1", "");
  dlg.RestoreSpoolerPrinters();
  EXPECT_FALSE(spool.queues["a"].paused);
  EXPECT_FALSE(spool.queues["b"].paused);
  RunReport report{"downloaded", 0, "TQR-23", "COM1", "", "x.fls", 9, 9, 1, "", "", {}};
  MarkStoppedRun(report, platform::PendingStopSignal());
  platform::SetPendingStopSignalForTest(0);
  EXPECT_EQ(report.outcome, "interrupted");
  EXPECT_EQ(RunReportJson(report).find("downloaded"), std::string::npos);
}

TEST(SpoolerRestore, AStartResumesOnlyQueuesOfRunsThatAreGone) {
  FakeSpooler spool;
  ParkNote gone{{{platform::CurrentRun(), 0}}, false, {}, true, {}};
  gone.holders[0].run.startTime += 1;  // this process id, another process
  const std::string goneText = ParkNoteText(gone);
  spool.queues["dead"] = Queue("dead", "usb://V/TQR-05", "", false, true, goneText);
  spool.queues["live"] = Queue("live", "usb://V/TQR-05", "", false, true,
                               ParkNoteText({{{platform::CurrentRun(), 0}}, false, {}, true, {}}));
  spool.queues["admin"] =
      Queue("admin", "usb://V/TQR-05", "", true, true, goneText + " (not ours)");
  // A note of the earlier form named a process id only: it holds while that process runs.
  spool.queues["earlier"] =
      Queue("earlier", kOnCom1, "", true, true,
            "vrtqlx (process " + std::to_string(platform::CurrentProcessId()) +
                "): paused for a firmware download, paused before, its message before: jam");
  spool.queues["earlier_gone"] = Queue("earlier_gone", kOnCom1, "", true, true,
                                       "vrtqlx (processes 999999999, 999999998): paused for a "
                                       "firmware download");
  EXPECT_EQ(ResumeQueuesOfEndedRuns(spool, SystemHolderJudge()), "");
  EXPECT_FALSE(spool.queues["dead"].paused);
  EXPECT_TRUE(spool.queues["dead"].acceptingJobs);
  EXPECT_TRUE(spool.queues["live"].paused);
  EXPECT_TRUE(spool.queues["admin"].paused);
  EXPECT_TRUE(ReadParkNote(spool.queues["earlier"].stateMessage));
  EXPECT_FALSE(spool.queues["earlier_gone"].paused);
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

// Runs 100, 200, ... of host "h" share queues; `live` says which of them still run. Runs of
// any other host cannot be looked at.
std::set<long> live;
platform::RunIdentity RunOf(long id, std::string host = "h") {
  return {std::move(host), 1, id, 7};
}
platform::RunState StateOf(const platform::RunIdentity& run) {
  if (run.host != "h") return platform::RunState::kCannotTell;
  return live.count(run.processId) ? platform::RunState::kRunning : platform::RunState::kEnded;
}
std::optional<platform::RunIdentity> RunningAs(long id) {
  return live.count(id) ? std::optional(RunOf(id)) : std::nullopt;
}
HolderJudge As(long id, int64_t now = 1000, std::string host = "h") {
  return {RunOf(id, std::move(host)), StateOf, RunningAs, now};
}
platform::SysStatus Hold(FakeSpooler& spool, const HolderJudge& judge, bool refuseJobs = false) {
  bool cut = false;
  return HoldQueue(spool, "q", judge, refuseJobs, cut);
}
std::vector<long> Holders(FakeSpooler& spool) {
  std::vector<long> ids;
  if (auto note = ReadParkNote(spool.queues["q"].stateMessage)) {
    for (const auto& holder : note->holders) ids.push_back(holder.run.processId);
  }
  return ids;
}

TEST(QueueHolders, EveryOrderOfStartAndEndLeavesTheStateFromBefore) {
  FakeSpooler spool;
  for (const bool firstEndsFirst : {true, false}) {
    spool.queues["q"] = Queue("q", kUsbPort, "TQR-05", true);
    live = {100, 200};
    // A serial run pauses the USB queue; a USB run of the model joins and makes it refuse.
    ASSERT_TRUE(Hold(spool, As(100)));
    ASSERT_TRUE(Hold(spool, As(200), true));
    auto note = ReadParkNote(spool.queues["q"].stateMessage);
    ASSERT_TRUE(note);
    EXPECT_EQ(Holders(spool), (std::vector<long>{100, 200}));
    EXPECT_TRUE(note->acceptedJobs);
    EXPECT_FALSE(note->pausedBefore);

    const long first = firstEndsFirst ? 100 : 200;
    const long second = firstEndsFirst ? 200 : 100;
    ASSERT_TRUE(ReleaseQueue(spool, "q", As(first)));
    live.erase(first);
    EXPECT_TRUE(spool.queues["q"].paused);  // the other run still sends
    EXPECT_FALSE(spool.queues["q"].acceptingJobs);
    ASSERT_TRUE(ReleaseQueue(spool, "q", As(second)));
    EXPECT_FALSE(spool.queues["q"].paused);
    EXPECT_TRUE(spool.queues["q"].acceptingJobs);
    EXPECT_EQ(spool.queues["q"].stateMessage, "");
  }

  // A queue made to refuse jobs whose pause is then refused takes jobs again, unheld.
  spool.queues["q"] = Queue("q", kUsbPort, "TQR-05", true);
  spool.refusePause = {"q"};
  EXPECT_FALSE(Hold(spool, As(100), true));
  EXPECT_TRUE(spool.queues["q"].acceptingJobs);
  EXPECT_FALSE(ReadParkNote(spool.queues["q"].stateMessage));
  spool.refusePause.clear();

  // Two USB runs of one model: the second never takes the first one's refusal for the
  // queue's own state.
  spool.queues["q"] = Queue("q", kUsbPort, "TQR-05", true);
  live = {100, 200};
  ASSERT_TRUE(Hold(spool, As(100), true));
  ASSERT_TRUE(Hold(spool, As(200), true));
  ASSERT_TRUE(ReleaseQueue(spool, "q", As(100)));
  ASSERT_TRUE(ReleaseQueue(spool, "q", As(200)));
  EXPECT_FALSE(spool.queues["q"].paused);
  EXPECT_TRUE(spool.queues["q"].acceptingJobs);
}

TEST(QueueHolders, TheQueuesOwnStateAndMessageComeBackWhole) {
  FakeSpooler spool;
  spool.queues["q"] = Queue("q", kUsbPort, "TQR-05", true, true, "toner maintenance");
  live = {100};
  ASSERT_TRUE(Hold(spool, As(100), true));
  auto note = ReadParkNote(spool.queues["q"].stateMessage);
  ASSERT_TRUE(note);
  EXPECT_TRUE(note->pausedBefore);
  EXPECT_EQ(note->messageBefore, "toner maintenance");
  EXPECT_FALSE(spool.queues["q"].acceptingJobs);

  // The run dies: a later start puts back what the note keeps.
  live.clear();
  ResumeQueuesOfEndedRuns(spool, As(900));
  EXPECT_TRUE(spool.queues["q"].paused);
  EXPECT_TRUE(spool.queues["q"].acceptingJobs);
  EXPECT_EQ(spool.queues["q"].stateMessage, "toner maintenance");
  ResumeQueuesOfEndedRuns(spool, As(900));  // and then leaves the queue alone
  EXPECT_EQ(spool.queues["q"].stateMessage, "toner maintenance");

  // An enabled queue that refuses jobs with a reason shows it again; a message too long to
  // keep beside the note is cut between characters, and said.
  live = {100};
  std::string umlauts;
  for (int i = 0; i < 600; ++i) umlauts += "\xC3\xBC";
  for (const std::string& message : {std::string("closed for stocktake"), umlauts}) {
    spool.queues["q"] = Queue("q", kUsbPort, "TQR-05", false, false, message);
    bool cut = false;
    ASSERT_TRUE(HoldQueue(spool, "q", As(100), true, cut));
    EXPECT_EQ(cut, message.size() > 900);
    ASSERT_TRUE(ReleaseQueue(spool, "q", As(100)));
    EXPECT_FALSE(spool.queues["q"].paused);
    EXPECT_FALSE(spool.queues["q"].acceptingJobs);
    const std::string& back = spool.queues["q"].stateMessage;
    EXPECT_EQ(back, cut ? CutAtCharacter(message, back.size()) : message);
    EXPECT_EQ(back.size() % 2, 0u);
  }
}

TEST(QueueHolders, RunsOfOtherHostsHoldForTheirLeaseAndTheNoteNamesManyOrRefusesAloud) {
  FakeSpooler spool;
  spool.queues["q"] = Queue("q", kOnCom1, "", true);
  live = {100, 200, 300};
  for (long id : {100L, 200L, 300L}) ASSERT_TRUE(Hold(spool, As(id)));
  // A station in a container (or another machine) joins; this machine cannot look at it.
  ASSERT_TRUE(Hold(spool, As(400, 1000, "other")));
  live = {200};
  ResumeQueuesOfEndedRuns(spool, As(900, 1000 + kLeaseSeconds));
  EXPECT_TRUE(spool.queues["q"].paused);
  EXPECT_EQ(Holders(spool), (std::vector<long>{200, 400}));
  // It renews its stamp while it runs; once it stops renewing, its lease ends.
  ASSERT_TRUE(RenewQueue(spool, "q", As(400, 1200, "other")));
  ResumeQueuesOfEndedRuns(spool, As(900, 1200 + kLeaseSeconds));
  EXPECT_EQ(Holders(spool), (std::vector<long>{200, 400}));
  live.clear();
  ResumeQueuesOfEndedRuns(spool, As(900, 1201 + kLeaseSeconds));
  EXPECT_FALSE(spool.queues["q"].paused);

  // Dozens of runs on one queue are all named; one the note has no room for changes nothing
  // and is told so.
  long id = 100000;
  while (true) {
    live.insert(++id);
    const auto held = Hold(spool, As(id));
    if (!held) {
      EXPECT_EQ(held.error(), ENOSPC);
      break;
    }
  }
  EXPECT_GT(Holders(spool).size(), 40u);
  EXPECT_EQ(Holders(spool).size(), static_cast<size_t>(id - 100001));
  EXPECT_EQ(Holders(spool).front(), 100001);
}

TEST(ParkNotes, ReadBackAsWrittenAndHostileTextIsNoNote) {
  ParkNote note{{{RunOf(812), 1700000000}, {RunOf(977, "b-2"), 5}, {RunOf(13), 1700000030}},
                true,
                "out of paper, again: (really)",
                true,
                {}};
  const std::string text = ParkNoteText(note);
  EXPECT_EQ(text.substr(0, 56), "vrtqlx (runs h/1 renewed 1700000030: 812.7, 13.7; b-2/1 ");
  auto back = ReadParkNote(text);
  ASSERT_TRUE(back);
  ASSERT_EQ(back->holders.size(), 3u);
  EXPECT_EQ(back->holders[1].run, RunOf(13));
  EXPECT_EQ(back->holders[2].run, RunOf(977, "b-2"));
  EXPECT_EQ(back->holders[2].renewed, 5);
  EXPECT_TRUE(back->pausedBefore);
  EXPECT_TRUE(back->acceptedJobs);
  EXPECT_EQ(back->messageBefore, note.messageBefore);
  // A note of the earlier form still reads.
  auto old =
      ReadParkNote("vrtqlx (process 42): paused for a firmware download, accepting jobs before");
  ASSERT_TRUE(old);
  EXPECT_EQ(old->earlierHolders, std::vector<long>{42});
  EXPECT_TRUE(old->acceptedJobs);
  for (const char* hostile :
       {"vrtqlx (process 99999999999): paused for a firmware download",
        "vrtqlx (process 0): paused for a firmware download",
        "vrtqlx (processes 1,): paused for a firmware download",
        "vrtqlx (process 1, 2): paused for a firmware download",
        "vrtqlx (runs h/1 renewed 5: 7.1, ): paused for a firmware download",
        "vrtqlx (runs H/1 renewed 5: 7.1): paused for a firmware download",
        "vrtqlx (runs h/1 renewed 5: 7): paused for a firmware download",
        "vrtqlx (process 7): paused for a firmware download, its message before: "}) {
    EXPECT_FALSE(ReadParkNote(hostile)) << hostile;
  }
  EXPECT_EQ(CutAtCharacter("a\xE2\x82\xAC", 3), "a");
}

}  // namespace
