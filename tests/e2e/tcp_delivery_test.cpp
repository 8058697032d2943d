#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "e2e/silent_run_fixture.h"

namespace {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

std::string PortOf(const std::string& address) {
  return address.substr(address.rfind(':') + 1);
}

class TcpDelivery : public SilentRun {
 protected:
  std::vector<std::string> Job(const std::string& port) const {
    return {"-s", "-p", "NET",    "127.0.0.1", "-tcpport",
            port, "-m", "TQR-23", "-f",        "TQR-23_V1.00_120826.fls"};
  }
  uint64_t ReceivedSoFar() const {
    return static_cast<uint64_t>(testsupport::ReadFile(received).size());
  }

  // Stops the run with SIGTERM once `waiting` holds and checks that it ended within 2 s
  // by that signal, having put everything back.
  void StopWhile(std::future<testsupport::ProcessResult> run,
                 const std::function<bool()>& waiting) {
    ASSERT_TRUE(WaitUntil([&] { return RunningPid() > 0 && waiting(); }));
    std::this_thread::sleep_for(200ms);  // well inside the wait
    const auto signalled = SteadyClock::now();
    ASSERT_EQ(::kill(RunningPid(), SIGTERM), 0);
    const auto result = run.get();
    EXPECT_LT(SteadyClock::now() - signalled, 2s);
    EXPECT_EQ(result.signal, SIGTERM) << result.err;
    EXPECT_NE(Log().find("]  Download interrupted\r\n"), std::string::npos) << Log();
    EXPECT_FALSE(DriverFilesLeft());
    ::unlink(programDir.Join("_VRT_QLX.txt").c_str());
  }
};

// No signal, no end: the no-progress limit is the one way out, and it is "Write Failed!".
TEST_F(TcpDelivery, PrinterThatStopsReadingIsAWriteFailureAfterTheLimit) {
  Image(3'000'000);
  const std::string port = PortOf(StartPrinter("tcp", {"--port", "0", "--stop-after", "100000"}));
  const auto begin = SteadyClock::now();
  auto run = Run(Job(port));
  EXPECT_EQ(run.exitCode, 2) << run.err;
  EXPECT_NE(Log().find("]  Write Failed!\r\n"), std::string::npos) << Log();
  EXPECT_LT(SteadyClock::now() - begin, 40s);
  EXPECT_FALSE(DriverFilesLeft());
}

TEST_F(TcpDelivery, StopSignalEndsEveryWaitAtOnce) {
  Image(3'000'000);
  {
    SCOPED_TRACE("stalled send");
    const std::string port = PortOf(StartPrinter("tcp", {"--port", "0", "--stop-after", "100000"}));
    StopWhile(StartRun(Job(port)), [&] { return ReceivedSoFar() >= 100000; });
    printer.reset();
  }
  {
    SCOPED_TRACE("slow transfer");
    const std::string port = PortOf(StartPrinter("tcp", {"--port", "0", "--rate", "200000"}));
    StopWhile(StartRun(Job(port)), [&] { return ReceivedSoFar() > 0; });
    printer.reset();
  }
  {
    SCOPED_TRACE("hanging connect");
    // A listener whose queue of connections is full answers no further connect.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&addr), len), 0);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
    ::listen(listener, 0);
    const int first = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(::connect(first, reinterpret_cast<sockaddr*>(&addr), len), 0);
    // The driver file is written as the download starts, just before the connect.
    StopWhile(StartRun(Job(std::to_string(ntohs(addr.sin_port)))),
              [&] { return testsupport::FileExistsAt(work.Join("usb.dll")); });
    ::close(first);
    ::close(listener);
  }
}

}  // namespace
