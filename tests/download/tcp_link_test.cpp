#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "download/engine_fixture.h"

namespace {

// A printer on loopback TCP that takes one connection and keeps everything it receives.
class LoopbackPrinter {
 public:
  LoopbackPrinter() {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    listen(listener_, 1);
    thread_ = std::thread([this] {
      int peer = accept(listener_, nullptr, nullptr);
      if (peer < 0) return;
      char buffer[65536];
      for (ssize_t n; (n = read(peer, buffer, sizeof buffer)) > 0;) received_.append(buffer, n);
      close(peer);
    });
  }
  ~LoopbackPrinter() {
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
  std::thread thread_;
  std::string received_;
};

TEST_F(EngineTest, TcpSendsTheWholeImageInOneGoAndSettlesFromTheModelsValue) {
  LoopbackPrinter peer;
  std::string image(100000, 'q');
  auto dlg = Window(kModelTQR10, "127.0.0.1", Firmware(image));
  dlg->port.baudRate = peer.port();
  RunSilent(*dlg);
  EXPECT_EQ(peer.Received(), image);
  EXPECT_EQ(dlg->downloadFailed, 0);
  const auto progress = BarProgress();
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.front(), 205);
  EXPECT_EQ(progress.back(), 268);
  // No compatibility query and no port: nothing reached the port side.
  EXPECT_TRUE(printer->openedPaths.empty());
  EXPECT_EQ(clock.NowMs() - start, 10u + 10u + 62u * 600u + 10u + 10u);
  EXPECT_FALSE(testsupport::FileExistsAt(work.Join("usb.dll")));
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

}  // namespace
