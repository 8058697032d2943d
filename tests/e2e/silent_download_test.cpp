#include <signal.h>

#include <string>

#include "e2e/silent_run_fixture.h"

namespace {

std::string PortOf(const std::string& address) {
  return address.substr(address.rfind(':') + 1);
}

TEST_F(SilentRun, TcpDownloadArrivesByteForByte) {
  const std::string image = Image(300000);
  const std::string port = PortOf(StartPrinter("tcp", {"--port", "0"}));
  auto run = Run({"-s", "-p", "NET", "127.0.0.1", "-tcpport", port, "-m", "TQR-23", "-f",
                  "TQR-23_V1.00_120826.fls"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Received(), image);
  EXPECT_FALSE(DriverFilesLeft());
  EXPECT_FALSE(testsupport::FileExistsAt(programDir.Join("_VRT_QLX.txt")));
}

TEST_F(SilentRun, SettingsFileFindsTheNewestImageOfItsModel) {
  Image(1000, "TQR-24_A_010110.fls");
  const std::string newest = Image(2000, "TQR-24_B_123110.fls");
  const std::string port = PortOf(StartPrinter("tcp", {"--port", "0"}));
  testsupport::WriteFile(
      work.Join("vrtqlx.ini"),
      "[QLX]\r\nPORTTYPE=NET\r\nIP=127.0.0.1\r\nTCPPORT=" + port + "\r\nMODELNAME=TQR-24\r\n");
  auto run = Run({"-s", "-p", "LPT1"});  // ignored: the settings file decides
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Received(), newest);
}

TEST_F(SilentRun, SerialLineOverAPseudoTerminal) {
  const std::string image = Image(200000);
  const std::string tty = StartPrinter("serial");
  auto run = Run({"-s", "-p", "com3", "-m", "TQR-23", "-f", "TQR-23_V1.00_120826.fls"},
                 {{"QLX_COM3", tty + ",nomodem"}});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Received(), image);
  EXPECT_FALSE(DriverFilesLeft());
}

TEST_F(SilentRun, ParallelPortOnADeviceNodeWithTheModelsHeader) {
  // Large enough that the bar ends near its send mark: TQB-18 settles at 800 ms a step.
  const std::string image = Image(600000, "TQB-18_V1_010110.fls");
  const std::string node = StartPrinter("node", {"--path", state.Join("lp1")});
  auto run =
      Run({"-s", "-p", "LPT2", "-m", "TQB-18", "-f", "TQB-18_V1_010110.fls"}, {{"QLX_LPT2", node}});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Received(), std::string("\x08\x23\x6D\x74\x6D\x73", 6) + image);
  EXPECT_FALSE(DriverFilesLeft());
}

TEST_F(SilentRun, RefusedConnectionEndsWithItsMessageAndExitCode2) {
  std::string port;
  {
    port = PortOf(StartPrinter("tcp", {"--port", "0"}));
    printer->Signal(SIGTERM);
    printer->Wait(5000);
    printer.reset();
  }
  Image(100);
  auto run = Run({"-s", "-p", "NET", "127.0.0.1", "-tcpport", port, "-m", "TQR-23", "-f",
                  "TQR-23_V1.00_120826.fls"});
  EXPECT_EQ(run.exitCode, 2);
  const std::string message = "Socket Connect Error! ip=127.0.0.1, tcpport=" + port;
  EXPECT_NE(Log().find("]  " + message + "\r\n"), std::string::npos) << Log();
  EXPECT_NE(run.err.find(message), std::string::npos);
  EXPECT_FALSE(DriverFilesLeft());
}

TEST_F(SilentRun, PrinterThatClosesMidTransferIsAWriteFailure) {
  Image(8 << 20);
  const std::string port = PortOf(StartPrinter("tcp", {"--port", "0", "--close-after", "65536"}));
  auto run = Run({"-s", "-p", "NET", "127.0.0.1", "-tcpport", port, "-m", "TQR-23", "-f",
                  "TQR-23_V1.00_120826.fls"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(Log().find("]  Write Failed!\r\n"), std::string::npos) << Log();
  EXPECT_FALSE(DriverFilesLeft());
}

TEST_F(SilentRun, SerialLineThatVanishesIsAWriteFailure) {
  Image(1 << 20);
  const std::string tty = StartPrinter("serial", {"--close-after", "8192"});
  auto run = Run({"-s", "-p", "COM1", "-m", "TQR-23", "-f", "TQR-23_V1.00_120826.fls"},
                 {{"QLX_COM1", tty + ",nomodem"}});
  EXPECT_EQ(run.exitCode, 2) << run.err;
  EXPECT_NE(Log().find("]  Write Failed!\r\n"), std::string::npos) << Log();
  EXPECT_FALSE(DriverFilesLeft());
}

TEST_F(SilentRun, PrinterThatStopsReadingIsAWriteFailureNotAHang) {
  Image(1 << 20);
  const std::string node =
      StartPrinter("node", {"--path", state.Join("lp0"), "--stop-after", "4096"});
  auto run = Run({"-s", "-p", "LPT1", "-m", "TQR-23", "-f", "TQR-23_V1.00_120826.fls"},
                 {{"QLX_LPT1", node}});
  EXPECT_EQ(run.exitCode, 2) << run.err;
  EXPECT_NE(Log().find("]  Write Failed!\r\n"), std::string::npos) << Log();
  EXPECT_FALSE(DriverFilesLeft());
}

TEST_F(SilentRun, MissingFirmwareFileIsRefusedAfterThePortOpened) {
  const std::string port = PortOf(StartPrinter("tcp", {"--port", "0"}));
  auto run =
      Run({"-s", "-p", "NET", "127.0.0.1", "-tcpport", port, "-m", "TQR-23", "-f", "absent.fls"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(Log().find("]  File Open Error. filename=" + work.Join("absent.fls") + "\r\n"),
            std::string::npos)
      << Log();
}

}  // namespace
