#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <optional>

#include "app/model_codes.h"
#include "download/download_dlg.h"
#include "framework/backend.h"
#include "framework/headless/headless_backend.h"
#include "platform/clock.h"
#include "platform/process_probe.h"
#include "ports/park_note.h"
#include "support/fake_printer.h"
#include "support/private_cups_server.h"
#include "support/scoped_env.h"

namespace {

// Queues of a private scheduler, moved aside and back by a main window.
class SpoolerRedirection : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(cups.running());
    server.emplace("CUPS_SERVER", cups.socket());
  }
  void TearDown() override { server.reset(); }

  std::unique_ptr<CDownloadDlg> Window(const std::string& portName) {
    auto dlg = std::make_unique<CDownloadDlg>(FakePortBackends(printer));
    dlg->port.portName = portName;
    return dlg;
  }

  testsupport::PrivateCupsServer cups;
  std::optional<testsupport::ScopedEnv> server;
  std::shared_ptr<FakePrinter> printer = std::make_shared<FakePrinter>();
};

TEST_F(SpoolerRedirection, LocalPortMovesQueuesOnItsNodeAndEveryUsbQueue) {
  // COM2 is /dev/ttyS1; a queue on /dev/ttyS10 contains that text too.
  ASSERT_TRUE(cups.AddQueue("on_com2", "serial:/dev/ttyS1?baud=9600"));
  ASSERT_TRUE(cups.AddQueue("on_com11", "serial:/dev/ttyS10"));
  ASSERT_TRUE(cups.AddQueue("on_com1", "serial:/dev/ttyS0"));
  ASSERT_TRUE(cups.AddQueue("usb_any", "usb://Maker/Other?serial=1", "Maker Other"));
  ASSERT_TRUE(cups.AddQueue("network", "socket://192.0.2.1:9100"));
  auto dlg = Window("COM2");

  dlg->RedirectSpoolerPrinters("COM2", "");
  EXPECT_TRUE(cups.Paused("on_com2"));
  EXPECT_TRUE(cups.Paused("on_com11"));
  EXPECT_TRUE(cups.Paused("usb_any"));
  EXPECT_FALSE(cups.Paused("on_com1"));
  EXPECT_FALSE(cups.Paused("network"));
  EXPECT_EQ(cups.DeviceOf("on_com2"), "serial:/dev/ttyS1?baud=9600");  // paused, not moved
  EXPECT_TRUE(ReadParkNote(cups.StateMessage("on_com2")));
  EXPECT_TRUE(cups.Accepting("usb_any"));  // no model: the state word is left alone
  EXPECT_EQ(dlg->savedPrinterPorts.size(), 3u);

  dlg->RestoreSpoolerPrinters();
  EXPECT_FALSE(cups.Paused("on_com2"));
  EXPECT_FALSE(cups.Paused("on_com11"));
  EXPECT_FALSE(cups.Paused("usb_any"));
  EXPECT_TRUE(dlg->savedPrinterPorts.empty());
  dlg->RestoreSpoolerPrinters();  // a second restore changes nothing
  EXPECT_FALSE(cups.Paused("on_com2"));
}

TEST_F(SpoolerRedirection, UsbQueuesOfTheModelRejectJobsWhileMoved) {
  ASSERT_TRUE(cups.AddQueue("tqr05", "usb://VORTANE/TQR-05?serial=A1", "VORTANE TQR-05 driver"));
  ASSERT_TRUE(
      cups.AddQueue("tqr05_off", "usb://VORTANE/TQR-05?serial=A2", "VORTANE TQR-05 driver"));
  ASSERT_TRUE(cups.Reject("tqr05_off"));
  ASSERT_TRUE(cups.AddQueue("tqr07", "usb://VORTANE/TQR-07", "VORTANE TQR-07 driver"));
  const std::string path =
      "\\\\?\\usb#vid_7a3c&pid_0105#1-2#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
  auto dlg = Window(path);

  dlg->RedirectSpoolerPrinters(path, "TQR-05");
  EXPECT_TRUE(cups.Paused("tqr05"));
  EXPECT_FALSE(cups.Accepting("tqr05"));
  EXPECT_FALSE(cups.Paused("tqr07"));
  EXPECT_TRUE(cups.Accepting("tqr07"));

  dlg.reset();  // the window's end puts everything back
  EXPECT_FALSE(cups.Paused("tqr05"));
  EXPECT_TRUE(cups.Accepting("tqr05"));
  EXPECT_FALSE(cups.Paused("tqr05_off"));
  EXPECT_FALSE(cups.Accepting("tqr05_off"));
}

TEST_F(SpoolerRedirection, DownloadMovesQueuesForItsLengthAndAFailedSilentStartPutsThemBack) {
  ASSERT_TRUE(cups.AddQueue("on_lpt1", "parallel:/dev/lp0"));
  platform::VirtualClock clock;
  platform::ScopedClock scopedClock(clock);
  fw::HeadlessBackend backend(&clock);
  fw::ScopedBackend scopedBackend(backend);

  bool pausedDuringWrite = false;
  printer->onWrite = [&](size_t) { pausedDuringWrite = cups.Paused("on_lpt1"); };
  const std::string image = ::testing::TempDir() + "/spooler_image.fls";
  FILE* f = fopen(image.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  fputs("image bytes", f);
  fclose(f);
  {
    auto dlg = Window("LPT1");
    dlg->silent = 1;
    dlg->modelCode = kModelTQR23;
    dlg->firmwarePath = image;
    dlg->DoModal();
    EXPECT_FALSE(cups.Paused("on_lpt1"));  // the end step resumed it
  }
  EXPECT_TRUE(pausedDuringWrite);

  printer->refuseOpen = true;
  auto refused = Window("LPT1");
  refused->silent = 1;
  refused->firmwarePath = image;
  refused->DoModal();
  EXPECT_FALSE(cups.Paused("on_lpt1"));  // a failed start puts the queues back at once
}

TEST(SpoolerWithoutServer, NothingHappensQuickly) {
  testsupport::ScopedEnv server("CUPS_SERVER", "/nonexistent/cups.sock");
  auto dlg = std::make_unique<CDownloadDlg>(FakePortBackends(std::make_shared<FakePrinter>()));
  dlg->port.portName = "COM1";
  const auto start = std::chrono::steady_clock::now();
  dlg->RedirectSpoolerPrinters("COM1", "");
  dlg->RestoreSpoolerPrinters();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_TRUE(dlg->savedPrinterPorts.empty());
}

TEST(RunningInstances, ARunIsItsProcessAndStartWhateverItsNameAndAZombieHoldsNothing) {
  // A child running another program (as a renamed copy would) is a run all the same.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
    _exit(1);
  }
  const auto run = platform::RunOfProcess(child);
  ASSERT_TRUE(run);
  EXPECT_EQ(platform::StateOfRun(*run), platform::RunState::kRunning);
  auto reused = *run;
  reused.startTime += 1;  // the same process id, another process
  EXPECT_EQ(platform::StateOfRun(reused), platform::RunState::kEnded);
  auto elsewhere = *run;
  elsewhere.pidNamespace += 1;
  EXPECT_EQ(platform::StateOfRun(elsewhere), platform::RunState::kCannotTell);
  // Killed and not yet reaped, it is a zombie.
  kill(child, SIGKILL);
  for (int i = 0; i < 200 && platform::StateOfRun(*run) != platform::RunState::kEnded; ++i) {
    usleep(10000);
  }
  EXPECT_EQ(platform::StateOfRun(*run), platform::RunState::kEnded);
  waitpid(child, nullptr, 0);
  EXPECT_EQ(platform::StateOfRun(platform::CurrentRun()), platform::RunState::kRunning);
}

}  // namespace
