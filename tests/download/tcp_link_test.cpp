#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "download/engine_fixture.h"
#include "platform/bounded_call.h"
#include "platform/stop_request.h"
#include "platform/tcp_socket.h"
#include "platform/tcp_waits.h"

namespace {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

// How a loopback printer treats the connection after taking `limit` bytes.
// kReadSlowly: a small receive window read 4 KiB every 4 ms (about 1 MB/s), so an image
// that fits the sender's buffer waits there for the printer.
enum class After { kKeepReading, kStopReading, kReset, kReadSlowly };

// A printer on loopback TCP that takes one connection and keeps everything it receives;
// it may answer first, and misbehave after a number of bytes.
class LoopbackPrinter {
 public:
  explicit LoopbackPrinter(After after = After::kKeepReading, size_t limit = 0, size_t answer = 0) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    if (after == After::kReadSlowly) {
      const int window = 4096;
      setsockopt(listener_, SOL_SOCKET, SO_RCVBUF, &window, sizeof window);
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    listen(listener_, 1);
    thread_ = std::thread([this, after, limit, answer] {
      int peer = accept(listener_, nullptr, nullptr);
      if (peer < 0) return;
      const std::string reply(answer, 'r');
      if (!reply.empty()) send(peer, reply.data(), reply.size(), MSG_NOSIGNAL);
      char buffer[65536];
      for (;;) {
        size_t ask = sizeof buffer;
        if (after == After::kReadSlowly) {
          std::this_thread::sleep_for(4ms);
          ask = 4096;
        } else if (after != After::kKeepReading) {
          ask = std::min(ask, limit - received_.size());
        }
        if (ask == 0) break;
        const ssize_t n = read(peer, buffer, ask);
        if (n <= 0) break;
        received_.append(buffer, n);
      }
      if (after == After::kStopReading) {
        while (!done_) std::this_thread::sleep_for(10ms);
      } else if (after == After::kReset) {
        linger abort{1, 0};
        setsockopt(peer, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
      }
      close(peer);
    });
  }
  ~LoopbackPrinter() {
    done_ = true;
    shutdown(listener_, SHUT_RDWR);
    close(listener_);
    if (thread_.joinable()) thread_.join();
  }
  int port() const { return port_; }
  // Waits for the peer to close, then answers what came.
  const std::string& Received() {
    if (thread_.joinable()) thread_.join();
    return received_;
  }

 private:
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> done_{false};
  std::thread thread_;
  std::string received_;
};

TEST_F(EngineTest, TcpSendsTheImageInPiecesAndSettlesFromTheModelsValue) {
  LoopbackPrinter peer;
  std::string image(100000, 'q');
  auto dlg = Window(kModelTQR10, "127.0.0.1", Firmware(image));
  dlg->port.baudRate = peer.port();
  RunSilent(*dlg);
  EXPECT_EQ(peer.Received(), image);
  EXPECT_EQ(dlg->downloadFailed, 0);
  const auto progress = BarProgress();
  ASSERT_GE(progress.size(), 2u);
  // The first 64 KiB fill the bar towards the model's mark, which the acknowledged image
  // reaches.
  EXPECT_EQ(progress[0], 65536 * 205 / 100000);
  EXPECT_EQ(progress[1], 205);
  EXPECT_EQ(progress.back(), 268);
  // No compatibility query and no port: nothing reached the port side.
  EXPECT_TRUE(printer->openedPaths.empty());
  EXPECT_EQ(clock.NowMs() - start, 10u + 0u + 10u + 62u * 600u + 10u + 10u);
  EXPECT_FALSE(testsupport::FileExistsAt(work.Join("usb.dll")));
}

// The window's thread is never held while a slow printer takes the image's tail: no timer
// dispatch of the download lasts longer than 100 ms.
TEST_F(EngineTest, ASlowPrinterNeverHoldsTheWindow) {
  struct TimedWindow : CDownloadDlg {
    using CDownloadDlg::CDownloadDlg;
    void OnTimer(int id) override {
      const auto start = std::chrono::steady_clock::now();
      CDownloadDlg::OnTimer(id);
      if (const auto took = std::chrono::steady_clock::now() - start; took > longest) {
        longest = took;
        longestTimer = id;
      }
    }
    std::chrono::steady_clock::duration longest{};
    int longestTimer = 0;
  };
  LoopbackPrinter peer(After::kReadSlowly);
  // Fits the connection's send buffer: every piece goes at once, and the printer's
  // acknowledgement of the whole image is waited for (about 0.3 s).
  const std::string image(300'000, 's');
  TimedWindow dlg(FakePortBackends(printer));
  dlg.modelCode = kModelTQR10;
  dlg.port.portName = "127.0.0.1";
  dlg.port.baudRate = peer.port();
  dlg.firmwarePath = Firmware(image);
  RunSilent(dlg);
  EXPECT_EQ(dlg.downloadFailed, 0);
  EXPECT_EQ(peer.Received().size(), image.size());
  EXPECT_LE(dlg.longest, 100ms) << "timer " << dlg.longestTimer << ": "
                                << std::chrono::duration<double, std::milli>(dlg.longest).count()
                                << " ms";
}

struct ModelGroup {
  int32_t model;
  int barAfterSend;
  uint32_t settleMs;
};

class TcpModelGroups : public EngineTest, public ::testing::WithParamInterface<ModelGroup> {};

// Each group of models starts its settle phase at its own mark and steps at its own pace.
TEST_P(TcpModelGroups, SettleFromTheGroupsMarkAtTheGroupsPace) {
  const ModelGroup& group = GetParam();
  LoopbackPrinter peer;
  auto dlg = Window(group.model, "127.0.0.1", Firmware("tiny image"));
  dlg->port.baudRate = peer.port();
  RunSilent(*dlg);
  EXPECT_EQ(peer.Received(), "tiny image");
  const auto progress = BarProgress();
  ASSERT_EQ(progress.size(), static_cast<size_t>(268 - group.barAfterSend + 1));
  EXPECT_EQ(progress.front(), group.barAfterSend);
  EXPECT_EQ(clock.NowMs() - start,
            10u + 10u + (267u - group.barAfterSend) * group.settleMs + 10u + 10u);
}

INSTANTIATE_TEST_SUITE_P(
    Groups, TcpModelGroups,
    ::testing::Values(ModelGroup{kModelTQR11, 205, 600}, ModelGroup{kModelTQR12, 235, 800},
                      ModelGroup{kModelTQR19, 235, 270}, ModelGroup{kModelTQS22, 100, 270},
                      ModelGroup{kModelTQR20, 225, 270}, ModelGroup{kModelTQR24, 225, 200},
                      ModelGroup{kModelTQG36, 225, 800}, ModelGroup{kModelTQR01, 100, 800},
                      ModelGroup{9999, 100, 800}));

TEST_F(EngineTest, RefusedConnectionIsReportedWithAddressAndPort) {
  int port = 0;
  {
    LoopbackPrinter gone;
    port = gone.port();
  }
  auto dlg = Window(kModelTQR01, "127.0.0.1", Firmware("x"));
  dlg->port.baudRate = port;
  RunSilent(*dlg);
  EXPECT_EQ(LastLogLine(), "Socket Connect Error! ip=127.0.0.1, tcpport=" + std::to_string(port));
  EXPECT_EQ(dlg->downloadFailed, 1);
  EXPECT_FALSE(dlg->socket.IsOpen());

  // Addresses of no single host are refused, even while a service listens on this machine
  // (0.0.0.0 would reach it).
  LoopbackPrinter local;
  for (const char* address : {"0.0.0.0", "255.255.255.255", "224.0.0.1"}) {
    auto refused = Window(kModelTQR01, address, Firmware("x"));
    refused->port.baudRate = local.port();
    RunSilent(*refused);
    EXPECT_EQ(LastLogLine(), std::string("Socket Connect Error! ip=") + address +
                                 ", tcpport=" + std::to_string(local.port()));
  }
}

// The socket itself, with a short no-progress limit: sending ends only when the printer's
// stack acknowledged every byte.
class PrinterConnection : public ::testing::Test {
 protected:
  static constexpr int kStallMs = 300;
  // Sends `image` and waits for its acknowledgement; the first failure, or success.
  platform::SysStatus Deliver(const LoopbackPrinter& peer, const std::string& image) {
    if (auto made = tcp.Create(); !made) return made;
    if (auto connected = tcp.Connect("localhost", static_cast<uint16_t>(peer.port()), 5000);
        !connected)
      return connected;
    const auto* bytes = reinterpret_cast<const uint8_t*>(image.data());
    for (size_t sent = 0; sent < image.size(); sent += 65536) {
      auto piece =
          tcp.SendAll(bytes + sent, std::min<size_t>(65536, image.size() - sent), kStallMs);
      if (!piece) return platform::SysStatus::Fail(piece.call(), piece.error());
    }
    return tcp.WaitDelivered(kStallMs);
  }

  // Asks the run to stop after `delay`, as a stop signal would.
  void StopAfter(std::chrono::milliseconds delay) {
    stopper = std::thread([delay] {
      std::this_thread::sleep_for(delay);
      platform::SetPendingStopSignalForTest(SIGTERM);
    });
  }
  // Waits for the stop request made by StopAfter and withdraws it.
  void WithdrawStop() {
    if (stopper.joinable()) stopper.join();
    platform::SetPendingStopSignalForTest(0);
  }
  void TearDown() override { WithdrawStop(); }

  platform::TcpSocket tcp;
  std::thread stopper;
  const std::string image = std::string(3'000'000, 'i');
};

TEST_F(PrinterConnection, DoneOnlyWhenThePrinterTookEveryByte) {
  {
    // A printer that talks back while it reads gets everything; its answer is read.
    LoopbackPrinter talker(After::kKeepReading, 0, 11000);
    EXPECT_TRUE(Deliver(talker, image));
    EXPECT_EQ(tcp.BytesReceived(), 11000u);
    tcp.Close();
    EXPECT_EQ(talker.Received().size(), image.size());
  }
  {
    LoopbackPrinter reset(After::kReset, 100000);
    auto delivered = Deliver(reset, image);
    EXPECT_FALSE(delivered);
    EXPECT_TRUE(delivered.error() == ECONNRESET || delivered.error() == EPIPE)
        << delivered.Describe();
    tcp.Close();
  }
  {
    // Everything fits into the buffers on the way: only the acknowledgement wait can tell.
    LoopbackPrinter stalled(After::kStopReading, 1000);
    const auto begin = SteadyClock::now();
    auto delivered = Deliver(stalled, std::string(200000, 's'));
    EXPECT_EQ(delivered.error(), ETIMEDOUT) << delivered.Describe();
    EXPECT_LT(SteadyClock::now() - begin, 2s);
    tcp.Close();
  }
}

// Windows' two sources of truth: the connection's figures, or the printer's own close.
TEST(TcpDeliveryDecision, OnlyBytesKnownTakenCount) {
  using platform::tcpwaits::TcpSendFigures;
  using platform::tcpwaits::UnconfirmedBytes;
  EXPECT_EQ(UnconfirmedBytes(TcpSendFigures{300000, 0, 0}, 300000, false), 0);
  // Held back by a closed window: sent but still in flight.
  EXPECT_EQ(UnconfirmedBytes(TcpSendFigures{300000, 0, 200000}, 300000, false), 200000);
  // Retransmitted bytes are not bytes taken; unsent ones count too.
  EXPECT_EQ(UnconfirmedBytes(TcpSendFigures{300000, 50000, 0}, 300000, false), 50000);
  EXPECT_EQ(UnconfirmedBytes(TcpSendFigures{100000, 0, 0}, 300000, true), 200000);
  // Without figures only the printer's close confirms, never the elapsed time.
  EXPECT_EQ(UnconfirmedBytes(std::nullopt, 300000, false), 1);
  EXPECT_EQ(UnconfirmedBytes(std::nullopt, 300000, true), 0);
}

TEST_F(PrinterConnection, EveryWaitEndsOnAStopRequest) {
  {
    // Sending into a printer that took 100,000 bytes and reads no more; the image is larger
    // than all buffers on the way.
    LoopbackPrinter stalled(After::kStopReading, 100000);
    const std::string large(64 << 20, 'l');
    ASSERT_TRUE(tcp.Create());
    ASSERT_TRUE(tcp.Connect("127.0.0.1", static_cast<uint16_t>(stalled.port()), 5000));
    StopAfter(200ms);
    const auto begin = SteadyClock::now();
    auto sent = tcp.SendAll(reinterpret_cast<const uint8_t*>(large.data()), large.size(), 30000);
    EXPECT_EQ(sent.error(), EINTR);
    // The acknowledgement wait gives up as well.
    EXPECT_EQ(tcp.WaitDelivered(30000).error(), EINTR);
    EXPECT_LT(SteadyClock::now() - begin, 1s);
    WithdrawStop();
    tcp.Close();
  }
  {
    // Connecting to a printer whose queue of connections is full hangs without a stop.
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&addr), len), 0);
    getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
    listen(listener, 0);
    const int first = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(connect(first, reinterpret_cast<sockaddr*>(&addr), len), 0);
    ASSERT_TRUE(tcp.Create());
    StopAfter(200ms);
    const auto begin = SteadyClock::now();
    EXPECT_EQ(tcp.Connect("127.0.0.1", ntohs(addr.sin_port), 20000).error(), EINTR);
    EXPECT_LT(SteadyClock::now() - begin, 1s);
    WithdrawStop();
    close(first);
    close(listener);
  }
  // A name lookup that never comes back is left behind within its limit or on a stop.
  auto hang = [] { std::this_thread::sleep_for(3s); };
  auto begin = SteadyClock::now();
  EXPECT_EQ(platform::CallWithin(hang, 200), ETIMEDOUT);
  EXPECT_LT(SteadyClock::now() - begin, 1s);
  StopAfter(100ms);
  begin = SteadyClock::now();
  EXPECT_EQ(platform::CallWithin(hang, 20000), EINTR);
  EXPECT_LT(SteadyClock::now() - begin, 1s);
  WithdrawStop();
  EXPECT_EQ(platform::CallWithin([] {}, 1000), 0);
}

}  // namespace
