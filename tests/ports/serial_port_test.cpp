// CSerialPort over a fake line: open rules, time-outs, write retries, the receive buffer.
#include "ports/serial_port.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "fake_platform.h"
#include "platform/clock.h"

namespace {

using portstest::FakeBackends;
using portstest::FakeLineState;

PortSettings SerialSettings(int flowControl = 0) {
  PortSettings settings;
  settings.portName = "COM1";
  settings.baudRate = 115200;
  settings.dataBits = 8;
  settings.parity = 2;
  settings.stopBits = 2;
  settings.flowControl = flowControl;
  settings.timeouts = {10, 10, 10, 0, 0};
  settings.rxBufferSize = 8192;
  return settings;
}

// Waits (on real time, bounded) until the port's reader has taken what the fake delivered.
bool WaitForDrained(FakeLineState& state) {
  for (int i = 0; i < 500; ++i) {
    {
      std::lock_guard guard(state.lock);
      if (state.incoming.empty()) return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

class SerialPortTest : public ::testing::Test {
 protected:
  std::shared_ptr<FakeLineState> state = std::make_shared<FakeLineState>();
  platform::VirtualClock clock;
  platform::ScopedClock useClock{clock};
  CSerialPort port{FakeBackends(state)};
};

TEST_F(SerialPortTest, ConfigureNeedsAName) {
  PortSettings settings = SerialSettings();
  settings.portName = "";
  EXPECT_EQ(port.Configure(settings), 0);
  EXPECT_EQ(port.Configure(SerialSettings()), 1);
}

TEST_F(SerialPortTest, OpenAppliesLineAndFixedTimeouts) {
  ASSERT_EQ(port.Configure(SerialSettings(1)), 1);
  const uint64_t before = clock.NowMs();
  ASSERT_EQ(port.Open(0), 1);
  EXPECT_EQ(clock.NowMs() - before, CSerialPort::kOpenSettleMs);
  EXPECT_EQ(state->openedPath, platform::DefaultPortDevice(platform::PortFamily::kSerial, 1));
  EXPECT_EQ(state->settings.baudRate, 115200);
  EXPECT_EQ(state->settings.parity, 2);
  EXPECT_EQ(state->settings.stopBits, 2);
  EXPECT_EQ(state->settings.flowControl, platform::SerialFlowControl::kXonXoff);
  EXPECT_EQ(state->timeouts, (platform::CommTimeouts{10, 10, 100, 5, 3000}));
  EXPECT_EQ(port.Timeouts(), CSerialPort::kOpenTimeouts);
  EXPECT_EQ(state->purgeCount, 1);
  EXPECT_TRUE(port.IsOpen());
  port.Close();
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(state->closeCount, 1);
}

TEST_F(SerialPortTest, NoModemMarkReachesTheLine) {
  CSerialPort marked(FakeBackends(state, [](const char* name) -> const char* {
    return std::string(name) == "QLX_COM1" ? "/dev/pts/9,nomodem" : nullptr;
  }));
  ASSERT_EQ(marked.Configure(SerialSettings()), 1);
  ASSERT_EQ(marked.Open(0), 1);
  EXPECT_EQ(state->openedPath, "/dev/pts/9");
  EXPECT_EQ(state->modemLines, platform::ModemLines::kAbsent);
  marked.Close();
}

TEST_F(SerialPortTest, OpenRefusalsReleaseTheLine) {
  struct Case {
    const char* what;
    int flowControl;
    std::function<void(FakeLineState&)> arrange;
  };
  const Case cases[] = {
      {"flow control 2", 2, [](FakeLineState&) {}},
      {"flow control -1", -1, [](FakeLineState&) {}},
      {"DSR off in mode 0", 0,
       [](FakeLineState& s) {
         s.modem = {false, true};
       }},
      {"CTS off in mode 1", 1,
       [](FakeLineState& s) {
         s.modem = {true, false};
       }},
      {"status unreadable", 0, [](FakeLineState& s) { s.failModemStatus = true; }},
      {"line settings refused", 0, [](FakeLineState& s) { s.failConfigure = true; }},
  };
  for (const auto& c : cases) {
    auto caseState = std::make_shared<FakeLineState>();
    c.arrange(*caseState);
    CSerialPort refused(FakeBackends(caseState));
    ASSERT_EQ(refused.Configure(SerialSettings(c.flowControl)), 1);
    const uint64_t before = clock.NowMs();
    EXPECT_EQ(refused.Open(0), 0) << c.what;
    EXPECT_EQ(clock.NowMs() - before, CSerialPort::kOpenSettleMs) << c.what;
    EXPECT_EQ(caseState->openCount, 1) << c.what;
    EXPECT_EQ(caseState->closeCount, 1) << c.what;
    EXPECT_FALSE(refused.IsOpen()) << c.what;
    EXPECT_EQ(refused.Write(reinterpret_cast<const uint8_t*>("x"), 1), 0) << c.what;
  }
}

TEST_F(SerialPortTest, OpenFailsForMissingNodeOrUnknownName) {
  state->failOpen = true;
  ASSERT_EQ(port.Configure(SerialSettings()), 1);
  EXPECT_EQ(port.Open(0), 0);
  EXPECT_EQ(state->closeCount, 0);

  auto other = std::make_shared<FakeLineState>();
  CSerialPort unknown(FakeBackends(other));
  PortSettings settings = SerialSettings();
  settings.portName = "COM99";
  ASSERT_EQ(unknown.Configure(settings), 1);
  EXPECT_EQ(unknown.Open(0), 0);
  EXPECT_EQ(other->openCount, 0);
}

TEST_F(SerialPortTest, WriteFinishesAPartialWrite) {
  ASSERT_EQ(port.Configure(SerialSettings()), 1);
  ASSERT_EQ(port.Open(0), 1);
  std::vector<uint8_t> data(1000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7);
  state->writeScript = {600};
  const uint64_t before = clock.NowMs();
  EXPECT_EQ(port.Write(data.data(), 1000), 1000);
  EXPECT_EQ(state->writeCalls, (std::vector<size_t>{1000, 400}));
  EXPECT_EQ(state->written, data);
  EXPECT_EQ(clock.NowMs() - before, CSerialPort::kWriteRetryPauseMs);
  port.Close();
  EXPECT_EQ(state->lastClose, platform::QueuedOutput::kDrain);
}

TEST_F(SerialPortTest, WriteGivesUpAfterTwentySecondsAndItsLineIsNotDrainedAtClose) {
  ASSERT_EQ(port.Configure(SerialSettings()), 1);
  ASSERT_EQ(port.Open(0), 1);
  state->writeScript = {5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const uint8_t data[64] = {};
  const uint64_t before = clock.NowMs();
  EXPECT_EQ(port.Write(data, 64), 5);
  // Attempts at 0, 1.5, … 19.5 s; the pause after the last brings the time to 21 s.
  EXPECT_EQ(state->WriteCallCount(), 14u);
  EXPECT_EQ(clock.NowMs() - before, 14u * CSerialPort::kWriteRetryPauseMs);

  state->failWrites = true;
  EXPECT_EQ(port.Write(data, 64), 0);
  port.Close();
  EXPECT_EQ(state->lastClose, platform::QueuedOutput::kDiscard);
}

TEST_F(SerialPortTest, WriteAndReadRefuseBadArguments) {
  uint8_t buffer[4] = {};
  EXPECT_EQ(port.Write(buffer, 4), 0);  // not open
  EXPECT_EQ(port.Read(buffer, 4, 0), 0);
  ASSERT_EQ(port.Configure(SerialSettings()), 1);
  ASSERT_EQ(port.Open(0), 1);
  EXPECT_EQ(port.Write(nullptr, 4), 0);
  EXPECT_EQ(port.Write(buffer, 0), 0);
  EXPECT_EQ(port.Write(buffer, -1), 0);
  EXPECT_EQ(port.Read(nullptr, 4, 0), 0);
  EXPECT_EQ(port.Read(buffer, 0, 0), 0);
  EXPECT_TRUE(state->writeCalls.empty());
  port.Close();
}

TEST_F(SerialPortTest, ReadServesInArrivalOrderAndWaitsOnce) {
  ASSERT_EQ(port.Configure(SerialSettings()), 1);
  ASSERT_EQ(port.Open(0), 1);
  uint8_t out[64] = {};
  uint64_t before = clock.NowMs();
  EXPECT_EQ(port.Read(out, 20, 2000), 0);
  EXPECT_EQ(clock.NowMs() - before, 2000u);

  std::vector<uint8_t> reply(30);
  for (int i = 0; i < 30; ++i) reply[i] = static_cast<uint8_t>(i + 1);
  state->Deliver(reply);
  ASSERT_TRUE(WaitForDrained(*state));
  before = clock.NowMs();
  ASSERT_EQ(port.Read(out, 20, 2000), 20);
  EXPECT_EQ(clock.NowMs(), before);  // enough was buffered: no wait
  EXPECT_EQ(std::vector<uint8_t>(out, out + 20),
            std::vector<uint8_t>(reply.begin(), reply.begin() + 20));
  ASSERT_EQ(port.Read(out, 20, 2000), 10);
  EXPECT_EQ(clock.NowMs() - before, 2000u);
  EXPECT_EQ(std::vector<uint8_t>(out, out + 10),
            std::vector<uint8_t>(reply.begin() + 20, reply.end()));
  port.Close();
}

TEST_F(SerialPortTest, FullReceiveBufferDropsAndCounts) {
  PortSettings settings = SerialSettings();
  settings.rxBufferSize = 16;
  ASSERT_EQ(port.Configure(settings), 1);
  ASSERT_EQ(port.Open(0), 1);
  std::vector<uint8_t> flood(250);
  for (size_t i = 0; i < flood.size(); ++i) flood[i] = static_cast<uint8_t>(i);
  state->Deliver(flood);
  ASSERT_TRUE(WaitForDrained(*state));
  EXPECT_EQ(port.DroppedByteCount(), 234u);
  uint8_t out[64] = {};
  ASSERT_EQ(port.Read(out, 64, 0), 16);
  EXPECT_EQ(std::vector<uint8_t>(out, out + 16),
            std::vector<uint8_t>(flood.begin(), flood.begin() + 16));
  // Room again after the read.
  state->Deliver({0xAA, 0xBB});
  ASSERT_TRUE(WaitForDrained(*state));
  ASSERT_EQ(port.Read(out, 64, 0), 2);
  EXPECT_EQ(out[0], 0xAA);
  port.Close();
}

TEST_F(SerialPortTest, CloseRightAfterOpenEndsTheReaderPromptly) {
  ASSERT_EQ(port.Configure(SerialSettings()), 1);
  for (int round = 0; round < 3; ++round) {
    ASSERT_EQ(port.Open(0), 1);
    const auto start = std::chrono::steady_clock::now();
    port.Close();
    const auto took = std::chrono::steady_clock::now() - start;
    // One cycle is 10 ms; the stop event cuts the wait short. Generous bound for loaded
    // machines and sanitizers.
    EXPECT_LT(took, std::chrono::milliseconds(200));
  }
  EXPECT_EQ(state->openCount, 3);
  EXPECT_EQ(state->closeCount, 3);
}

TEST_F(SerialPortTest, ReopenWithoutCloseStopsTheOldReader) {
  ASSERT_EQ(port.Configure(SerialSettings()), 1);
  ASSERT_EQ(port.Open(0), 1);
  ASSERT_EQ(port.Open(0), 1);
  EXPECT_EQ(state->closeCount, 1);
  port.Close();
}

}  // namespace
