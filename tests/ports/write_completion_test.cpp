// When a write counts as done: a serial line's queue drained (and at most 64 bytes queued
// while DSR may be low), a parallel printer that keeps taking bytes, a USB piece the
// printer took.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "fake_platform.h"
#include "platform/clock.h"
#include "platform/device_output.h"
#include "platform/posix/io.h"
#include "platform/serial_output.h"
#include "ports/link_settings.h"
#include "ports/serial_port.h"
#include "ports/usb_port.h"

namespace {

// A UART on a virtual clock: its queue empties at one byte per `msPerByte` unless the
// printer holds the line; DSR follows `dsr`.
class SimulatedLine final : public platform::SerialOutput {
 public:
  uint64_t now = 0;
  int msPerByte = 1;
  bool held = false;
  std::function<bool(uint64_t)> dsr = [](uint64_t) { return true; };
  size_t queue = 0;
  size_t sent = 0;
  size_t largestQueueHandedWhileLowOrAfter = 0;
  int writesWhileDsrLow = 0;
  int dsrLooks = 0;
  std::vector<std::string> events;

  platform::SysResult<size_t> WriteSome(const uint8_t*, size_t length) override {
    if (!dsr(now)) ++writesWhileDsrLow;
    const size_t take = std::min<size_t>(length, 4096 - queue);
    queue += take;
    largestQueueHandedWhileLowOrAfter = std::max(largestQueueHandedWhileLowOrAfter, queue);
    return platform::SysResult<size_t>::Ok(take);
  }
  platform::SysResult<size_t> QueuedBytes() override {
    return platform::SysResult<size_t>::Ok(queue);
  }
  platform::SysResult<bool> DsrRaised() override {
    ++dsrLooks;
    return platform::SysResult<bool>::Ok(dsr(now));
  }
  void WaitForRoom(int ms) override { Pause(ms); }
  void Pause(int ms) override {
    for (int i = 0; i < ms; ++i) {
      ++now;
      if (!held && queue > 0 && now % msPerByte == 0) {
        --queue;
        ++sent;
      }
    }
  }
  uint64_t NowMs() override { return now; }
  void DiscardOutput() override {
    events.push_back("discard " + std::to_string(queue));
    queue = 0;
  }
  void RestoreLine() override { events.push_back("restore " + std::to_string(queue)); }
};

TEST(SerialWriteCompletion, WriteAndCloseWaitForTheQueueAndALineThatNeverDrainsFails) {
  const std::vector<uint8_t> data(1000, 0x55);
  SimulatedLine line;
  auto written = platform::WriteDrained(line, data.data(), data.size(), 3000 + 5 * 1000, false);
  EXPECT_TRUE(written.status);
  EXPECT_EQ(written.queued, 1000u);
  EXPECT_EQ(line.sent, 1000u);  // returned only once every byte had left

  line.WriteSome(data.data(), 300);
  EXPECT_TRUE(platform::DrainAndRestore(line, 3000 + 5 * 300));
  EXPECT_EQ(line.events, std::vector<std::string>{"restore 0"});  // drained, then restored

  SimulatedLine stuck;
  stuck.held = true;  // XOFF held for good
  written = platform::WriteDrained(stuck, data.data(), data.size(), 3000 + 5 * 1000, false);
  EXPECT_EQ(written.status.error(), ETIMEDOUT);
  EXPECT_EQ(written.pending, 1000u);
  EXPECT_EQ(stuck.now, 8000u);
  EXPECT_FALSE(platform::DrainAndRestore(stuck, 3000 + 5 * 1000));
  // The tail that cannot leave is thrown away before the old speed comes back.
  EXPECT_EQ(stuck.events, (std::vector<std::string>{"discard 1000", "restore 0"}));
}

TEST(SerialWriteCompletion, DtrDsrModeQueuesAtMost64BytesAndWaitsWhileDsrIsLow) {
  const std::vector<uint8_t> data(4096, 0xAA);
  SimulatedLine line;
  line.dsr = [](uint64_t t) { return t < 100 || t >= 5100; };  // busy for 5 s
  auto written = platform::WriteDrained(line, data.data(), data.size(), -1, true);
  EXPECT_TRUE(written.status);
  EXPECT_EQ(line.sent, 4096u);
  EXPECT_EQ(line.writesWhileDsrLow, 0);
  EXPECT_LE(line.largestQueueHandedWhileLowOrAfter, platform::kPacedQueueBytes);
  // While DSR is low the line is looked at every 10 ms, not in a busy loop.
  EXPECT_LT(line.dsrLooks, 4096 * 2 + 5000 / 10 + 50);
}

TEST(SerialWriteCompletion, RetriesWaitForTheSameQueueAndNeverResend) {
  auto state = std::make_shared<portstest::FakeLineState>();
  platform::VirtualClock clock;
  platform::ScopedClock useClock(clock);
  CSerialPort port(portstest::FakeBackends(state));
  ASSERT_EQ(port.Configure(portstest::LinkSettings("COM1")), 1);
  ASSERT_EQ(port.Open(0), 1);
  std::vector<uint8_t> data(1000, 7);
  state->undrainedAttempts = 2;
  EXPECT_EQ(port.Write(data.data(), 1000), 1000);
  EXPECT_EQ(state->writeCalls, (std::vector<size_t>{1000, 0, 0}));
  EXPECT_EQ(state->written, data);

  state->undrainedAttempts = 100;  // never drains within the 20 s window
  EXPECT_LT(port.Write(data.data(), 1000), 1000);
  port.Close();
}

// A parallel printer on a virtual clock that takes what `accepts` allows at each moment.
class SimulatedPrinter final : public platform::DeviceOutput {
 public:
  uint64_t now = 0;
  std::function<size_t(uint64_t)> accepts;
  uint64_t lastTaken = 0;
  platform::SysResult<size_t> WriteSome(const uint8_t*, size_t length) override {
    const size_t take = std::min(length, accepts(now));
    if (take > 0) lastTaken = now;
    return platform::SysResult<size_t>::Ok(take);
  }
  bool WaitForRoom(int ms) override {
    now += static_cast<uint64_t>(std::min(ms, 10));
    return false;
  }
  void Pause(int ms) override { now += static_cast<uint64_t>(ms); }
  uint64_t NowMs() override { return now; }
};

TEST(ParallelWriteCompletion, TheLimitCountsFromTheLastByteTaken) {
  const std::vector<uint8_t> data(40, 1);
  const platform::WriteLimits limits{-1, 30000};
  SimulatedPrinter slow;  // one byte a second for 40 s
  slow.accepts = [&](uint64_t t) { return t >= slow.lastTaken + 1000 ? 1u : 0u; };
  auto written = platform::WriteWithinLimits(slow, data.data(), data.size(), limits);
  ASSERT_TRUE(written);
  EXPECT_EQ(written.value(), 40u);

  SimulatedPrinter stopped;
  stopped.accepts = [](uint64_t) { return 0u; };
  written = platform::WriteWithinLimits(stopped, data.data(), data.size(), limits);
  EXPECT_EQ(written.value(), 0u);
  EXPECT_EQ(stopped.now, 30000u);
}

TEST(UsbWriteCompletion, PiecesCountOnceTakenAndABlockedWriteEndsAtTheStallLimit) {
  auto state = std::make_shared<portstest::FakeLineState>();
  CUsbPort port(portstest::FakeBackends(state));
  ASSERT_EQ(port.Configure(portstest::LinkSettings("dev")), 1);
  ASSERT_EQ(port.Open(0), 1);
  std::vector<uint8_t> data(5000);
  EXPECT_EQ(port.Write(data.data(), 5000), 5000);
  for (auto completion : state->writeCompletions) {
    EXPECT_EQ(completion, platform::WriteCompletion::kTaken);
  }
  EXPECT_EQ(state->writeLimits.back().stallMs, CUsbPort::kStalledWriteLimitMs);
  port.Close();

  // The system's blocking write on a node whose reader is slow, then gone quiet.
  int fds[2];
  ASSERT_EQ(pipe2(fds, O_NONBLOCK), 0);
  std::vector<uint8_t> big(256 * 1024, 3);
  size_t drained = 0;
  std::thread reader([&] {
    std::vector<uint8_t> chunk(16384);
    while (drained < big.size()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      const ssize_t n = read(fds[0], chunk.data(), chunk.size());
      if (n > 0) drained += static_cast<size_t>(n);
    }
  });
  auto written = platform::posix::WriteBlocking(fds[1], big.data(), big.size(), 2000);
  reader.join();
  ASSERT_TRUE(written);
  EXPECT_EQ(written.value(), big.size());
  EXPECT_NE(fcntl(fds[1], F_GETFL) & O_NONBLOCK, 0);  // the node is left as it was

  const auto start = std::chrono::steady_clock::now();
  written = platform::posix::WriteBlocking(fds[1], big.data(), big.size(), 200);
  EXPECT_EQ(written.error(), ETIMEDOUT);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  close(fds[0]);
  close(fds[1]);
}

}  // namespace
