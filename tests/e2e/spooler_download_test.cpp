#include <chrono>
#include <future>
#include <thread>

#include "e2e/silent_run_fixture.h"
#include "support/private_cups_server.h"

namespace {

TEST_F(SilentRun, SerialDownloadParksTheQueueOnItsLineAndPutsItBack) {
  testsupport::PrivateCupsServer cups;
  ASSERT_TRUE(cups.running());
  const std::string image = Image(100000);
  const std::string tty = StartPrinter("serial");
  ASSERT_TRUE(cups.AddQueue("line_printer", "serial:" + tty + "?baud=115200"));
  ASSERT_TRUE(cups.AddQueue("usb_printer", "usb://VORTANE/TQR-05", "VORTANE TQR-05"));
  ASSERT_TRUE(cups.AddQueue("other", "socket://192.0.2.7"));

  auto download = std::async(std::launch::async, [&] {
    return Run({"-s", "-p", "COM4", "-m", "TQR-23", "-f", "TQR-23_V1.00_120826.fls"},
               {{"QLX_COM4", tty + ",nomodem"}, {"CUPS_SERVER", cups.socket()}});
  });
  // The settle phase lasts seconds: the queues stay parked that long.
  bool parked = false;
  while (download.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready) {
    if (cups.DeviceOf("line_printer") == "/dev/null" &&
        cups.DeviceOf("usb_printer") == "/dev/null") {
      parked = true;
      break;
    }
  }
  auto run = download.get();
  EXPECT_TRUE(parked);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Received(), image);
  EXPECT_EQ(cups.DeviceOf("line_printer"), "serial:" + tty + "?baud=115200");
  EXPECT_EQ(cups.DeviceOf("usb_printer"), "usb://VORTANE/TQR-05");
  EXPECT_TRUE(cups.Accepting("usb_printer"));
  EXPECT_EQ(cups.DeviceOf("other"), "socket://192.0.2.7");
}

}  // namespace
