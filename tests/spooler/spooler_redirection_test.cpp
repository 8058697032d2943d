#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <memory>

#include "app/model_codes.h"
#include "download/download_dlg.h"
#include "framework/backend.h"
#include "framework/headless/headless_backend.h"
#include "platform/clock.h"
#include "support/fake_printer.h"
#include "support/private_cups_server.h"

namespace {

// Queues of a private scheduler, moved aside and back by a main window.
class SpoolerRedirection : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(cups.running());
    setenv("CUPS_SERVER", cups.socket().c_str(), 1);
  }
  void TearDown() override { unsetenv("CUPS_SERVER"); }

  std::unique_ptr<CDownloadDlg> Window(const std::string& portName) {
    auto dlg = std::make_unique<CDownloadDlg>(FakePortBackends(printer));
    dlg->port.portName = portName;
    return dlg;
  }

  testsupport::PrivateCupsServer cups;
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
  EXPECT_EQ(cups.DeviceOf("on_com2"), "/dev/null");
  EXPECT_EQ(cups.DeviceOf("on_com11"), "/dev/null");
  EXPECT_EQ(cups.DeviceOf("usb_any"), "/dev/null");
  EXPECT_EQ(cups.DeviceOf("on_com1"), "serial:/dev/ttyS0");
  EXPECT_EQ(cups.DeviceOf("network"), "socket://192.0.2.1:9100");
  EXPECT_TRUE(cups.Accepting("usb_any"));  // no model: the state word is left alone
  EXPECT_EQ(dlg->savedPrinterPorts.size(), 3u);

  dlg->RestoreSpoolerPrinters();
  EXPECT_EQ(cups.DeviceOf("on_com2"), "serial:/dev/ttyS1?baud=9600");
  EXPECT_EQ(cups.DeviceOf("on_com11"), "serial:/dev/ttyS10");
  EXPECT_EQ(cups.DeviceOf("usb_any"), "usb://Maker/Other?serial=1");
  EXPECT_TRUE(dlg->savedPrinterPorts.empty());
  dlg->RestoreSpoolerPrinters();  // a second restore changes nothing
  EXPECT_EQ(cups.DeviceOf("on_com2"), "serial:/dev/ttyS1?baud=9600");
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
  EXPECT_EQ(cups.DeviceOf("tqr05"), "/dev/null");
  EXPECT_FALSE(cups.Accepting("tqr05"));
  EXPECT_EQ(cups.DeviceOf("tqr07"), "usb://VORTANE/TQR-07");
  EXPECT_TRUE(cups.Accepting("tqr07"));

  dlg.reset();  // the window's end puts everything back
  EXPECT_EQ(cups.DeviceOf("tqr05"), "usb://VORTANE/TQR-05?serial=A1");
  EXPECT_TRUE(cups.Accepting("tqr05"));
  EXPECT_EQ(cups.DeviceOf("tqr05_off"), "usb://VORTANE/TQR-05?serial=A2");
  EXPECT_FALSE(cups.Accepting("tqr05_off"));
}

TEST_F(SpoolerRedirection, DownloadMovesQueuesForItsLengthAndAFailedSilentStartPutsThemBack) {
  ASSERT_TRUE(cups.AddQueue("on_lpt1", "parallel:/dev/lp0"));
  platform::VirtualClock clock;
  platform::ScopedClock scopedClock(clock);
  fw::HeadlessBackend backend(&clock);
  fw::ScopedBackend scopedBackend(backend);

  std::string duringWrite;
  printer->onWrite = [&](size_t) { duringWrite = cups.DeviceOf("on_lpt1"); };
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
    EXPECT_EQ(cups.DeviceOf("on_lpt1"), "parallel:/dev/lp0");  // the end step restored it
  }
  EXPECT_EQ(duringWrite, "/dev/null");

  printer->refuseOpen = true;
  auto refused = Window("LPT1");
  refused->silent = 1;
  refused->firmwarePath = image;
  refused->DoModal();
  EXPECT_EQ(cups.DeviceOf("on_lpt1"), "/dev/null");  // a failed start undoes nothing itself
  refused.reset();
  EXPECT_EQ(cups.DeviceOf("on_lpt1"), "parallel:/dev/lp0");
}

TEST(SpoolerWithoutServer, NothingHappensQuickly) {
  setenv("CUPS_SERVER", "/nonexistent/cups.sock", 1);
  auto dlg = std::make_unique<CDownloadDlg>(FakePortBackends(std::make_shared<FakePrinter>()));
  dlg->port.portName = "COM1";
  const auto start = std::chrono::steady_clock::now();
  dlg->RedirectSpoolerPrinters("COM1", "");
  dlg->RestoreSpoolerPrinters();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_TRUE(dlg->savedPrinterPorts.empty());
  unsetenv("CUPS_SERVER");
}

}  // namespace
