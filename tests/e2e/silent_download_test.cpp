#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <future>
#include <regex>
#include <string>
#include <vector>

#include "e2e/silent_run_fixture.h"

namespace {

TEST_F(SilentRun, TcpDownloadArrivesByteForByte) {
  // A printer that talks back and reads more slowly than the image goes out: its answer is
  // read, so the connection never ends in a reset that would throw away what it had not
  // read yet (it reads on past the end of the settle phase).
  const std::string image = Image(2'000'000);
  const std::string port =
      PortOf(StartPrinter("tcp", {"--port", "0", "--send", "11000", "--rate", "200000"}));
  auto run = Run({"-s", "-p", "NET", "127.0.0.1", "-tcpport", port, "-m", "TQR-23", "-f",
                  "TQR-23_V1.00_120826.fls"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  const std::string got = Received();
  EXPECT_EQ(got.size(), image.size());
  EXPECT_TRUE(got == image);
  EXPECT_FALSE(DriverFilesLeft());
  EXPECT_FALSE(testsupport::FileExistsAt(programDir.Join("_VRT_QLX.txt")));
  // Standard error is no terminal here: a successful run prints nothing at all.
  EXPECT_EQ(run.err, "");
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

TEST_F(SilentRun, ProgressLineOnATerminal) {
  Image(200000);
  const std::string tty = StartPrinter("serial");
  auto run = Run({"-s", "-p", "COM3", "-m", "TQR-23", "-f", "TQR-23_V1.00_120826.fls"},
                 {{"QLX_COM3", tty + ",nomodem"}}, Stderr::kTerminal);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.err.find("\rsending  0 / 200000 bytes  0%"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("\rsending  200000 / 200000 bytes  100%  "), std::string::npos);
  EXPECT_NE(run.err.find("/s  0:"), std::string::npos);
  EXPECT_NE(run.err.find("\rwaiting for the printer  200000 / 200000 bytes  100%  0:00 left"),
            std::string::npos);
  ASSERT_GE(run.err.size(), 2u);
  EXPECT_EQ(run.err.substr(run.err.size() - 2), "\r\n");  // the terminal's own line end
  // Redrawn in place at a bounded pace: a few lines a second, never one per block.
  EXPECT_LT(std::count(run.err.begin(), run.err.end(), '\r'), 200);
  EXPECT_FALSE(testsupport::FileExistsAt(programDir.Join("_VRT_QLX.txt")));
  Received();

  // Over TCP the line moves as the pieces go out, with rate and time left.
  Image(3'000'000);
  const std::string port = PortOf(StartPrinter("tcp", {"--port", "0", "--rate", "3000000"}));
  auto tcp = Run({"-s", "-p", "NET", "127.0.0.1", "-tcpport", port, "-m", "TQR-23", "-f",
                  "TQR-23_V1.00_120826.fls"},
                 {}, Stderr::kTerminal);
  EXPECT_EQ(tcp.exitCode, 0) << tcp.err;
  const std::regex midway(
      R"(\rsending  \d+ / 3000000 bytes  ([1-9]|[1-9]\d)%  [\d.]+ [KM]?i?B/s  \d+:\d\d left)");
  EXPECT_TRUE(std::regex_search(tcp.err, midway)) << tcp.err;
}

// The image TQR-03 gets from HEX text: the header, then an area of 0xFF with `bytes`.
std::string ConvertedImage(const std::vector<std::pair<size_t, uint8_t>>& bytes) {
  std::string image = std::string("\x1B\x23\x6D\x6B", 4) + std::string(0x40000, '\xFF');
  for (const auto& [address, value] : bytes) image[4 + address] = static_cast<char>(value);
  return image;
}

TEST_F(SilentRun, HexModelsConvertHexTextAndSendImagesAsTheyAre) {
  struct Case {
    const char* name;
    std::string file;
    std::string expected;
  };
  // One byte past whole blocks: the bar ends close to its send mark, so the wait is short.
  const std::string binary = Image(64 * 4096 + 1, "unused.fls");
  const std::vector<Case> cases = {
      {"linear.hex",
       ":020000040001F9\n:02FFF000A1A2CA\n:020000040003F7\n:01000000B34C\n"
       ":0400000500001234B1\n:00000001FF\n",
       ConvertedImage({{0x1FFF0, 0xA1}, {0x1FFF1, 0xA2}, {0x30000, 0xB3}})},
      {"s3.mot", "S00600004844521B\nS3070000001011229C\nS30700030000C3D427\nS70500000000FA\n",
       ConvertedImage({{0x10, 0x11}, {0x11, 0x22}, {0x30000, 0xC3}, {0x30001, 0xD4}})},
      {"image.fls", binary, binary},
  };
  // TQR-03 waits long for its printer after the last byte, so the three jobs run at once,
  // each in a working directory and on a line of its own.
  std::vector<std::unique_ptr<testsupport::TempDir>> dirs;
  std::vector<std::unique_ptr<testsupport::ChildProcess>> printers;
  std::vector<std::future<testsupport::ProcessResult>> runs;
  for (const Case& c : cases) {
    dirs.push_back(std::make_unique<testsupport::TempDir>());
    testsupport::WriteFile(dirs.back()->Join(c.name), c.file);
    printers.push_back(std::make_unique<testsupport::ChildProcess>(std::vector<std::string>{
        VRTQLX_SIM_BINARY, "serial", "--out", dirs.back()->Join("received.bin")}));
    auto ready = printers.back()->ReadLine(10000);
    ASSERT_TRUE(ready && ready->rfind("ready ", 0) == 0);
    testsupport::ProcessOptions options;
    options.workingDir = dirs.back()->path();
    options.env = {{"QLX_COM1", ready->substr(6) + ",nomodem"}, {"XDG_STATE_HOME", state.path()}};
    options.timeLimit = std::chrono::milliseconds(90000);
    runs.push_back(std::async(std::launch::async, [this, options, name = c.name] {
      return testsupport::RunProcess(program, {"-s", "-p", "COM1", "-m", "TQR-03", "-f", name},
                                     options);
    }));
  }
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].name);
    const auto run = runs[i].get();
    EXPECT_EQ(run.exitCode, 0) << run.err;
    printers[i]->Wait(30000);
    EXPECT_TRUE(testsupport::ReadFile(dirs[i]->Join("received.bin")) == cases[i].expected);
  }

  // Text that reads as HEX but has no place in the image fails before any port opens.
  testsupport::WriteFile(work.Join("far.hex"), ":020000040004F6\n:0100000011EE\n");
  auto run = Run({"-s", "-p", "COM1", "-m", "TQR-04", "-f", "far.hex"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(Log().find("]  Failed File Loading!!\r\n"), std::string::npos) << Log();
  EXPECT_EQ(Log().find("Port Open Error"), std::string::npos);
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

TEST_F(SilentRun, PrinterThatClosesOrResetsMidTransferIsAWriteFailure) {
  for (const char* misbehaviour : {"--close-after", "--reset-after"}) {
    SCOPED_TRACE(misbehaviour);
    Image(3'000'000);
    const std::string port = PortOf(StartPrinter("tcp", {"--port", "0", misbehaviour, "100000"}));
    auto run = Run({"-s", "-p", "NET", "127.0.0.1", "-tcpport", port, "-m", "TQR-23", "-f",
                    "TQR-23_V1.00_120826.fls"});
    EXPECT_EQ(run.exitCode, 2) << run.err;
    EXPECT_NE(Log().find("]  Write Failed!\r\n"), std::string::npos) << Log();
    EXPECT_FALSE(DriverFilesLeft());
    Received();
    ::unlink(programDir.Join("_VRT_QLX.txt").c_str());
  }
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
  const std::string path = work.Join("absent.fls");
  EXPECT_NE(Log().find("]  File Open Error. filename=" + path + "\r\n"), std::string::npos)
      << Log();
  // Standard error also says why.
  EXPECT_NE(run.err.find("]  File Open Error. filename=" + path + " (" + path +
                         ": No such file or directory)\n"),
            std::string::npos)
      << run.err;
}

}  // namespace
