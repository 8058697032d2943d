#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <future>
#include <thread>

#include "e2e/silent_run_fixture.h"
#include "platform/process_probe.h"
#include "ports/park_note.h"
#include "support/private_cups_server.h"
#include "usb/fake_usb_tree.h"

namespace {

using namespace std::chrono_literals;

// A serial download on COM4 while a private scheduler has queues on its line, one of them
// paused by its administrator before.
class ParkedQueues : public SilentRun {
 protected:
  void SetUp() override {
    ASSERT_TRUE(cups.running());
    launcher = Namespaced(false);
    Image(100000);
    tty = StartPrinter("serial");
    ASSERT_TRUE(cups.AddQueue("line_printer", "serial:" + tty + "?baud=115200"));
    ASSERT_TRUE(cups.AddQueue("usb_printer", "usb://VORTANE/TQR-05", "VORTANE TQR-05"));
    ASSERT_TRUE(cups.AddQueue("other", "socket://192.0.2.7"));
    ASSERT_TRUE(cups.AddQueue("held", "serial:" + tty));
    ASSERT_TRUE(cups.Pause("held"));
  }

  std::future<testsupport::ProcessResult> StartDownload(std::string server = {},
                                                        const std::string& port = "COM4",
                                                        std::string line = {}) {
    if (server.empty()) server = cups.socket();
    if (line.empty()) line = tty;
    return std::async(std::launch::async, [this, server, port, line] {
      return Run({"--json", "-s", "-p", port, "-m", "TQR-23", "-f", "TQR-23_V1.00_120826.fls"},
                 {{"QLX_" + port, line + ",nomodem"}, {"CUPS_SERVER", server}});
    });
  }

  // Every run sees a /run of the test's own (root's queue lock lives there), in a mount
  // namespace of its own and, with `ownPids`, a PID namespace of its own too.
  std::vector<std::string> Namespaced(bool ownPids) {
    std::vector<std::string> command{"/usr/bin/unshare", "-m"};
    if (ownPids) command.insert(command.end(), {"--pid", "--fork", "--mount-proc"});
    command.insert(command.end(),
                   {"/bin/sh", "-c", "mount --bind \"$0\" /run && exec \"$@\"", runDir.path()});
    return command;
  }

  // Waits until the queue's note names `count` runs; answers their process ids.
  std::vector<long> WaitHolders(size_t count, const std::string& queue = "usb_printer") {
    for (int i = 0; i < 400; ++i) {
      auto note = ReadParkNote(cups.StateMessage(queue));
      if (note && note->holders.size() == count) {
        std::vector<long> ids;
        for (const auto& holder : note->holders) ids.push_back(holder.run.processId);
        return ids;
      }
      std::this_thread::sleep_for(50ms);
    }
    return {};
  }

  // Waits while the download runs for its queues to be parked; the settle phase lasts
  // seconds, so the queues stay parked that long.
  bool WaitParked(std::future<testsupport::ProcessResult>& download,
                  const std::vector<std::string>& queues = {"line_printer", "usb_printer"}) {
    while (download.wait_for(50ms) != std::future_status::ready) {
      if (std::all_of(queues.begin(), queues.end(), [&](auto& q) { return cups.Paused(q); })) {
        return true;
      }
    }
    return false;
  }

  void ExpectQueuesAsBefore() {
    EXPECT_FALSE(cups.Paused("line_printer"));
    EXPECT_FALSE(cups.Paused("usb_printer"));
    EXPECT_TRUE(cups.Accepting("usb_printer"));
    EXPECT_FALSE(cups.Paused("other"));
    EXPECT_TRUE(cups.Paused("held"));
    EXPECT_EQ(cups.DeviceOf("line_printer"), "serial:" + tty + "?baud=115200");
  }

  testsupport::PrivateCupsServer cups;
  std::string tty;
  testsupport::TempDir runDir;
};

TEST_F(ParkedQueues, DownloadPausesTheQueuesAndJobsSentMeanwhilePrintAfterIt) {
  ASSERT_TRUE(cups.AddQueue("doomed", "serial:" + tty));
  auto download = StartDownload();
  ASSERT_TRUE(WaitParked(download));
  EXPECT_EQ(cups.DeviceOf("line_printer"), "serial:" + tty + "?baud=115200");
  ASSERT_TRUE(cups.Print("line_printer"));
  EXPECT_EQ(cups.JobCount("line_printer", false), 1);  // held while the download runs
  ASSERT_TRUE(cups.RemoveQueue("doomed"));             // a queue gone does not stop the others

  auto run = download.get();
  EXPECT_EQ(run.exitCode, 0) << run.err;
  ExpectQueuesAsBefore();
  bool printed = false;
  for (int i = 0; i < 100 && !printed; ++i) {
    printed = cups.JobCount("line_printer", true) == 1;
    if (!printed) std::this_thread::sleep_for(50ms);
  }
  EXPECT_TRUE(printed);
}

TEST_F(ParkedQueues, StopSignalOrKillMidDownloadLeavesEveryQueueAsItWas) {
  for (int signal : {SIGTERM, SIGKILL}) {
    SCOPED_TRACE(signal);
    auto download = StartDownload();
    ASSERT_TRUE(WaitParked(download));
    auto note = ReadParkNote(cups.StateMessage("line_printer"));
    ASSERT_TRUE(note);
    ASSERT_EQ(kill(static_cast<pid_t>(note->holders.front().run.processId), signal), 0);
    auto run = download.get();
    EXPECT_EQ(run.signal, signal);
    if (signal == SIGKILL) {
      EXPECT_TRUE(cups.Paused("line_printer"));
      // Any later start, even one with invalid parameters, puts back what the dead run left.
      auto later = Run({"-s", "-p", "LPX1"}, {{"CUPS_SERVER", cups.socket()}});
      EXPECT_EQ(later.exitCode, 1);
    } else {
      EXPECT_NE(Log().find("Download interrupted"), std::string::npos) << Log();
      EXPECT_FALSE(DriverFilesLeft());
    }
    ExpectQueuesAsBefore();
    tty = StartPrinter("serial");
    ASSERT_TRUE(cups.AddQueue("line_printer", "serial:" + tty + "?baud=115200"));
  }
}

// A USB run of TQR-05 beside the serial runs: both need the USB queue of that model, the
// USB run also makes it refuse jobs. The administrator paused a second queue of the model.
class SharedQueues : public ParkedQueues {
 protected:
  void SetUp() override {
    ParkedQueues::SetUp();
    ASSERT_TRUE(cups.AddQueue("usb_admin", "usb://VORTANE/TQR-05?serial=2", "VORTANE TQR-05"));
    ASSERT_TRUE(cups.Pause("usb_admin", "toner maintenance"));
    for (int n : {0, 1}) {
      usbNode[n] = tree[n].AddDevice("1-2", kFirstVendor, 0x0105, FakeUsbTree::Node::kFifo);
    }
    Image(256 * 1024 + 17, "TQR-05_V1.00_120826.fls");
  }

  // A USB download to the TQR-05 of station `n`: two stations of one machine, each with
  // its own USB printer of the model, and both with the model's queue.
  std::future<testsupport::ProcessResult> StartUsbDownload(int n = 0) {
    usbPrinter[n] = std::make_unique<testsupport::ChildProcess>(
        std::vector<std::string>{VRTQLX_SIM_BINARY, "node", "--path", usbNode[n], "--out",
                                 state.Join("usb" + std::to_string(n) + ".bin")});
    EXPECT_TRUE(usbPrinter[n]->ReadLine(10000));
    return std::async(std::launch::async, [this, n] {
      return Run({"-s", "-p", "USB", "-m", "TQR-05", "-f", "TQR-05_V1.00_120826.fls"},
                 {{"QLX_SYSFS_ROOT", tree[n].sysfs()},
                  {"QLX_DEV_ROOT", tree[n].dev()},
                  {"CUPS_SERVER", cups.socket()}});
    });
  }

  void ExpectAdminQueueAsBefore() {
    EXPECT_TRUE(cups.Paused("usb_admin"));
    EXPECT_EQ(cups.StateMessage("usb_admin"), "toner maintenance");
    EXPECT_TRUE(cups.Accepting("usb_admin"));
  }

  FakeUsbTree tree[2];
  std::string usbNode[2];
  std::unique_ptr<testsupport::ChildProcess> usbPrinter[2];
};

TEST_F(SharedQueues, AQueueStaysPausedUntilItsLastRunEndsWhicheverEndsOrDies) {
  // The USB run first, then a serial run joins; the serial run ends first.
  auto usb = StartUsbDownload();
  ASSERT_EQ(WaitHolders(1).size(), 1u);
  EXPECT_FALSE(cups.Accepting("usb_printer"));
  auto serial = StartDownload();
  ASSERT_EQ(WaitHolders(2).size(), 2u);
  EXPECT_EQ(serial.get().exitCode, 0);
  EXPECT_TRUE(cups.Paused("usb_printer"));  // the USB run still sends
  EXPECT_FALSE(cups.Accepting("usb_printer"));
  auto usbRun = usb.get();
  EXPECT_EQ(usbRun.exitCode, 0) << usbRun.err;
  ExpectQueuesAsBefore();
  ExpectAdminQueueAsBefore();

  // Two USB runs of the model, the first killed: the second never took the first one's
  // refusal for the queue's own state, and, last to leave, puts back what the note keeps; a
  // later start finds nothing to do.
  usb = StartUsbDownload(0);
  const auto first = WaitHolders(1);
  ASSERT_EQ(first.size(), 1u);
  auto second = StartUsbDownload(1);
  ASSERT_EQ(WaitHolders(2).size(), 2u);
  ASSERT_EQ(kill(static_cast<pid_t>(first.front()), SIGKILL), 0);
  EXPECT_EQ(usb.get().signal, SIGKILL);
  EXPECT_TRUE(cups.Paused("usb_printer"));
  auto secondRun = second.get();
  EXPECT_EQ(secondRun.exitCode, 0) << secondRun.err;
  ExpectQueuesAsBefore();
  ExpectAdminQueueAsBefore();
  EXPECT_EQ(Run({"-s", "-p", "LPX1"}, {{"CUPS_SERVER", cups.socket()}}).exitCode, 1);
  ExpectQueuesAsBefore();
  ExpectAdminQueueAsBefore();

  // Alone and killed: the administrator's queue waits, refusing, for the next start.
  usb = StartUsbDownload();
  ASSERT_EQ(WaitHolders(1).size(), 1u);
  ASSERT_EQ(kill(static_cast<pid_t>(WaitHolders(1).front()), SIGKILL), 0);
  EXPECT_EQ(usb.get().signal, SIGKILL);
  EXPECT_FALSE(cups.Accepting("usb_admin"));
  EXPECT_EQ(Run({"-s", "-p", "LPX1"}, {{"CUPS_SERVER", cups.socket()}}).exitCode, 1);
  ExpectAdminQueueAsBefore();
  EXPECT_TRUE(cups.Accepting("usb_printer"));
  EXPECT_FALSE(cups.Paused("usb_printer"));
}

TEST_F(ParkedQueues, SchedulerByHostAndPortAndOneThatStopsMidDownload) {
  // A scheduler that starts again checks the drivers of its queues and writes over their
  // messages when it finds them wanting, as it does with the test's stand-in driver.
  ASSERT_TRUE(cups.RemoveQueue("usb_printer"));
  // "host:port" names the scheduler as well as its socket does.
  auto byAddress = StartDownload(cups.tcpAddress());
  EXPECT_TRUE(WaitParked(byAddress, {"line_printer"}));
  auto run = byAddress.get();
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_FALSE(cups.Paused("line_printer"));

  // Stopped while the queues are parked: the restore cannot reach it, says so, and the next
  // start, with the scheduler back, puts the queues back.
  tty = StartPrinter("serial");
  ASSERT_TRUE(cups.AddQueue("line_printer", "serial:" + tty + "?baud=115200"));
  auto download = StartDownload();
  ASSERT_TRUE(WaitParked(download, {"line_printer"}));
  cups.Stop();
  run = download.get();
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(Log().find("Printer <line_printer> could not be resumed"), std::string::npos) << Log();
  ASSERT_TRUE(cups.Start());
  EXPECT_TRUE(cups.Paused("line_printer"));
  EXPECT_EQ(Run({"-s", "-p", "LPX1"}, {{"CUPS_SERVER", cups.socket()}}).exitCode, 1);
  EXPECT_FALSE(cups.Paused("line_printer"));
  EXPECT_TRUE(cups.Paused("held"));
}

TEST_F(ParkedQueues, AHungSchedulerCostsSecondsAndAStopWhilePausingEndsAtOnce) {
  // A scheduler that takes connections and never answers.
  const std::string hung = state.Join("hung.sock");
  const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  hung.copy(address.sun_path, sizeof address.sun_path - 1);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 16), 0);

  // Asked once at the start (recovery) and once for the download, a few seconds each.
  std::vector<std::string> command = launcher;
  command.insert(command.end(),
                 {"/usr/bin/env", "-C", work.path(), "QLX_COM4=" + tty + ",nomodem",
                  "CUPS_SERVER=" + hung, "XDG_STATE_HOME=" + state.path(), program, "-s", "-p",
                  "COM4", "-m", "TQR-23", "-f", "TQR-23_V1.00_120826.fls"});
  testsupport::ChildProcess run(command);
  std::this_thread::sleep_for(5500ms);
  const auto stopped = std::chrono::steady_clock::now();
  run.Signal(SIGTERM);
  const auto status = run.Wait(10000);
  EXPECT_LT(std::chrono::steady_clock::now() - stopped, 2s);
  EXPECT_EQ(status, std::optional<int>(128 + SIGTERM));
  EXPECT_NE(Log().find("Download interrupted"), std::string::npos) << Log();
  EXPECT_FALSE(DriverFilesLeft());
  close(listener);
}

TEST_F(ParkedQueues, RunsInAnotherPidNamespaceAndDozensOfRunsHoldOneQueueTogether) {
  // 33 processes of this machine hold the line's queue already; what they run plays no part.
  std::vector<std::unique_ptr<testsupport::ChildProcess>> others;
  ParkNote note;
  for (int i = 0; i < 33; ++i) {
    others.push_back(
        std::make_unique<testsupport::ChildProcess>(std::vector<std::string>{"/bin/sleep", "600"}));
    const auto run = platform::RunOfProcess(others.back()->pid());
    ASSERT_TRUE(run);
    note.holders.push_back({*run, static_cast<int64_t>(std::time(nullptr))});
  }
  ASSERT_TRUE(cups.Pause("line_printer", ParkNoteText(note)));

  // A run in a container joins them; a start on the host cannot look at it, and keeps it.
  launcher = Namespaced(true);
  auto download = StartDownload();
  ASSERT_EQ(WaitHolders(34, "line_printer").size(), 34u);
  ASSERT_EQ(WaitHolders(1).size(), 1u);
  launcher = Namespaced(false);
  EXPECT_EQ(Run({"-s", "-p", "LPX1"}, {{"CUPS_SERVER", cups.socket()}}).exitCode, 1);
  EXPECT_TRUE(cups.Paused("usb_printer"));
  EXPECT_EQ(WaitHolders(34, "line_printer").size(), 34u);

  auto run = download.get();
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_FALSE(cups.Paused("usb_printer"));
  EXPECT_EQ(WaitHolders(33, "line_printer").size(), 33u);
  others.clear();
  EXPECT_EQ(Run({"-s", "-p", "LPX1"}, {{"CUPS_SERVER", cups.socket()}}).exitCode, 1);
  ExpectQueuesAsBefore();
}

TEST_F(ParkedQueues, TwoRunsStoppedTogetherPutTheirSharedQueueBack) {
  // Runs on COM4 and COM5 both hold every USB queue.
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    tty = StartPrinter("serial");
    testsupport::ChildProcess second(
        {VRTQLX_SIM_BINARY, "serial", "--out", state.Join("second.bin")});
    auto ready = second.ReadLine(10000);
    ASSERT_TRUE(ready && ready->rfind("ready ", 0) == 0);
    auto one = StartDownload();
    auto two = StartDownload({}, "COM5", ready->substr(6));
    const auto holders = WaitHolders(2);
    ASSERT_EQ(holders.size(), 2u);
    for (const long holder : holders) kill(static_cast<pid_t>(holder), SIGTERM);
    EXPECT_EQ(one.get().signal, SIGTERM);
    EXPECT_EQ(two.get().signal, SIGTERM);
    EXPECT_FALSE(cups.Paused("usb_printer")) << cups.StateMessage("usb_printer");
    EXPECT_TRUE(cups.Accepting("usb_printer"));
  }
}

TEST_F(ParkedQueues, ASchedulerHeldUpAtThePauseIsWaitedFor) {
  ASSERT_EQ(kill(cups.pid(), SIGSTOP), 0);
  auto download = StartDownload();
  std::this_thread::sleep_for(9s);
  ASSERT_EQ(kill(cups.pid(), SIGCONT), 0);
  EXPECT_TRUE(WaitParked(download));
  auto run = download.get();
  EXPECT_EQ(run.exitCode, 0) << run.err;
  ExpectQueuesAsBefore();
  EXPECT_NE(run.out.find("\"warnings\": []"), std::string::npos) << run.out;
}

TEST_F(ParkedQueues, AHeldOrPlantedLockIsSaidAndEveryQueueKeepsItsOwnMessage) {
  ASSERT_TRUE(cups.AddQueue("stocktake", "serial:" + tty));
  ASSERT_TRUE(cups.Reject("stocktake", "closed for stocktake"));
  std::string message = "Wartung bis Freitag: ";
  for (int i = 0; i < 150; ++i) message += "\u00fc\u20ac";
  ASSERT_TRUE(cups.Pause("held", message));

  // Another root process holds the lock for the whole run.
  const std::string lockDir = runDir.Join("vrtqlx");
  ASSERT_EQ(mkdir(lockDir.c_str(), 0755), 0);
  const int lock = open((lockDir + "/queues.lock").c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_EQ(flock(lock, LOCK_EX), 0);
  auto run = StartDownload().get();
  close(lock);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.err.find("the queue lock is held by another process"), std::string::npos)
      << run.err;
  EXPECT_NE(Log().find("the queue lock is held by another process"), std::string::npos) << Log();
  ExpectQueuesAsBefore();
  EXPECT_FALSE(cups.Paused("stocktake"));
  EXPECT_FALSE(cups.Accepting("stocktake"));
  EXPECT_EQ(cups.StateMessage("stocktake"), "closed for stocktake");
  EXPECT_EQ(cups.StateMessage("held"), message);

  // A link planted in the lock directory's place is never followed.
  ASSERT_EQ(unlink((lockDir + "/queues.lock").c_str()), 0);
  ASSERT_EQ(rmdir(lockDir.c_str()), 0);
  ASSERT_EQ(symlink(state.path().c_str(), lockDir.c_str()), 0);
  run = StartDownload({}, "COM4", StartPrinter("serial")).get();
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.err.find("the queue lock cannot be used"), std::string::npos) << run.err;
  EXPECT_FALSE(testsupport::FileExistsAt(state.Join("queues.lock")));
  ExpectQueuesAsBefore();
}

}  // namespace
