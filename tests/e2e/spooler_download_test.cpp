#include <signal.h>

#include <chrono>
#include <future>
#include <thread>

#include "e2e/silent_run_fixture.h"
#include "ports/park_note.h"
#include "support/private_cups_server.h"

namespace {

using namespace std::chrono_literals;

// A serial download on COM4 while a private scheduler has queues on its line, one of them
// paused by its administrator before.
class ParkedQueues : public SilentRun {
 protected:
  void SetUp() override {
    ASSERT_TRUE(cups.running());
    Image(100000);
    tty = StartPrinter("serial");
    ASSERT_TRUE(cups.AddQueue("line_printer", "serial:" + tty + "?baud=115200"));
    ASSERT_TRUE(cups.AddQueue("usb_printer", "usb://VORTANE/TQR-05", "VORTANE TQR-05"));
    ASSERT_TRUE(cups.AddQueue("other", "socket://192.0.2.7"));
    ASSERT_TRUE(cups.AddQueue("held", "serial:" + tty));
    ASSERT_TRUE(cups.Pause("held"));
  }

  std::future<testsupport::ProcessResult> StartDownload() {
    return std::async(std::launch::async, [this] {
      return Run({"-s", "-p", "COM4", "-m", "TQR-23", "-f", "TQR-23_V1.00_120826.fls"},
                 {{"QLX_COM4", tty + ",nomodem"}, {"CUPS_SERVER", cups.socket()}});
    });
  }

  // Waits while the download runs for its queue to be parked; the settle phase lasts
  // seconds, so the queues stay parked that long.
  bool WaitParked(std::future<testsupport::ProcessResult>& download) {
    while (download.wait_for(50ms) != std::future_status::ready) {
      if (cups.Paused("line_printer") && cups.Paused("usb_printer")) return true;
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
    ASSERT_EQ(kill(static_cast<pid_t>(note->holders.front()), signal), 0);
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

}  // namespace
