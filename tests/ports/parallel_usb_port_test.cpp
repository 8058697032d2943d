// CParallelPort and CUsbPort over fake device files.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "fake_platform.h"
#include "ports/link_settings.h"
#include "ports/parallel_port.h"
#include "ports/usb_port.h"

namespace {

using portstest::FakeBackends;
using portstest::FakeLineState;

TEST(ParallelPort, ConfigureWantsAnLptName) {
  CParallelPort port(FakeBackends(std::make_shared<FakeLineState>()));
  EXPECT_EQ(port.Configure(portstest::LinkSettings("LPT1")), 1);
  EXPECT_EQ(port.Configure(portstest::LinkSettings("LPT")), 1);
  EXPECT_EQ(port.Configure(portstest::LinkSettings("lpt1")), 0);
  EXPECT_EQ(port.Configure(portstest::LinkSettings("")), 0);
  EXPECT_EQ(port.Configure(portstest::LinkSettings("COM1")), 0);
}

TEST(ParallelPort, OpenTwiceOpensTheDeviceOnce) {
  auto state = std::make_shared<FakeLineState>();
  CParallelPort port(FakeBackends(state));
  ASSERT_EQ(port.Configure(portstest::LinkSettings("LPT2")), 1);
  EXPECT_EQ(port.Open(0), 1);
  EXPECT_EQ(port.Open(0), 1);
  EXPECT_EQ(state->openCount, 1);
  EXPECT_EQ(state->openedPath, platform::DefaultPortDevice(platform::PortFamily::kParallel, 2));
  EXPECT_EQ(port.Timeouts(), (std::array<uint32_t, 5>{10, 10, 10, 0, 0}));
  port.Close();
  uint8_t byte = 0;
  EXPECT_EQ(port.Write(&byte, 1), 0);
  EXPECT_EQ(port.Open(0), 1);
  EXPECT_EQ(state->openCount, 2);
  port.Close();
}

TEST(ParallelPort, Win9xFamilyGetsLongerReadTimeouts) {
  auto state = std::make_shared<FakeLineState>();
  CParallelPort port(FakeBackends(state, {}, /*win9x=*/true));
  ASSERT_EQ(port.Configure(portstest::LinkSettings("LPT1")), 1);
  ASSERT_EQ(port.Open(0), 1);
  EXPECT_EQ(port.Timeouts(), (std::array<uint32_t, 5>{100, 100, 100, 0, 0}));
  port.Close();
}

TEST(ParallelPort, ReadUsesThePortTimeoutsNotWaitMs) {
  auto state = std::make_shared<FakeLineState>();
  CParallelPort port(FakeBackends(state));
  ASSERT_EQ(port.Configure(portstest::LinkSettings("LPT1")), 1);
  ASSERT_EQ(port.Open(0), 1);
  state->Deliver({1, 2, 3});
  uint8_t out[8] = {};
  EXPECT_EQ(port.Read(out, 8, 2000), 3);
  ASSERT_EQ(state->readLimits.size(), 1u);
  EXPECT_EQ(state->readLimits[0].totalMs, 10 * 8 + 10);
  EXPECT_EQ(state->readLimits[0].intervalMs, 10);
  const uint8_t data[5] = {9, 8, 7, 6, 5};
  EXPECT_EQ(port.Write(data, 5), 5);
  state->failWrites = true;
  EXPECT_EQ(port.Write(data, 5), 0);
  port.Close();
}

TEST(UsbPort, WritesInPiecesOf4096) {
  const struct {
    int length;
    std::vector<size_t> pieces;
  } cases[] = {
      {10000, {4096, 4096, 1808}},
      {4096, {4096}},
      {4097, {4096, 1}},
      {64, {64}},
  };
  for (const auto& c : cases) {
    auto state = std::make_shared<FakeLineState>();
    CUsbPort port(FakeBackends(state));
    ASSERT_EQ(port.Configure(portstest::LinkSettings("\\\\?\\usb#vid_7a3c&pid_0105#1-2#{x}")), 1);
    ASSERT_EQ(port.Open(0), 1);
    std::vector<uint8_t> data(c.length);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 13);
    EXPECT_EQ(port.Write(data.data(), c.length), c.length);
    EXPECT_EQ(state->writeCalls, c.pieces);
    EXPECT_EQ(state->written, data);
    port.Close();
  }
}

TEST(UsbPort, FailedPieceFailsTheWrite) {
  auto state = std::make_shared<FakeLineState>();
  CUsbPort port(FakeBackends(state));
  ASSERT_EQ(port.Configure(portstest::LinkSettings("dev")), 1);
  ASSERT_EQ(port.Open(0), 1);
  state->failWrites = true;
  state->writeScript = {1};  // the first piece goes out, the second fails
  std::vector<uint8_t> data(10000);
  EXPECT_EQ(port.Write(data.data(), 10000), 0);
  EXPECT_EQ(state->writeCalls, (std::vector<size_t>{4096, 4096}));
  port.Close();
}

TEST(UsbPort, OpenResolvesOnceAndStartsNoReaderUnlessAsked) {
  auto state = std::make_shared<FakeLineState>();
  CUsbPort port(FakeBackends(state));
  EXPECT_EQ(port.Configure(portstest::LinkSettings("")), 0);
  ASSERT_EQ(port.Configure(portstest::LinkSettings("printer")), 1);
  ASSERT_EQ(port.Open(0), 1);
  EXPECT_EQ(state->openedPath, "/fake/printer");
  EXPECT_FALSE(port.ReaderRunning());
  EXPECT_EQ(port.Open(1), 1);
  EXPECT_EQ(state->openCount, 1);
  EXPECT_FALSE(port.ReaderRunning());
  port.Close();

  CUsbPort missing(FakeBackends(state));
  ASSERT_EQ(missing.Configure(portstest::LinkSettings("missing")), 1);
  EXPECT_EQ(missing.Open(0), 0);
}

TEST(UsbPort, ReaderFillsItsBufferWhenStarted) {
  auto state = std::make_shared<FakeLineState>();
  CUsbPort port(FakeBackends(state));
  ASSERT_EQ(port.Configure(portstest::LinkSettings("printer")), 1);
  ASSERT_EQ(port.Open(1), 1);
  EXPECT_TRUE(port.ReaderRunning());
  state->Deliver(std::vector<uint8_t>(250, 0x55));
  for (int i = 0; i < 500 && port.BufferedByteCount() < 250; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(port.BufferedByteCount(), 250u);
  port.Close();
  EXPECT_FALSE(port.ReaderRunning());
  EXPECT_EQ(port.BufferedByteCount(), 0u);
}

TEST(UsbPort, ReadGoesToTheDeviceWithABoundedWait) {
  auto state = std::make_shared<FakeLineState>();
  CUsbPort port(FakeBackends(state));
  ASSERT_EQ(port.Configure(portstest::LinkSettings("printer")), 1);
  ASSERT_EQ(port.Open(0), 1);
  state->Deliver({'_', '5', 0, 0, 0});
  uint8_t out[20] = {};
  EXPECT_EQ(port.Read(out, 20, 2000), 5);
  ASSERT_EQ(state->readLimits.size(), 1u);
  EXPECT_EQ(state->readLimits[0].totalMs, CUsbPort::kReadWaitMs);
  port.Close();
  EXPECT_EQ(port.Read(out, 20, 0), 0);
}

}  // namespace
