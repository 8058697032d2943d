// CPortIO's choice of implementation and its forwarding.
#include "ports/port_io.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "fake_platform.h"
#include "platform/clock.h"

namespace {

using portstest::FakeBackends;
using portstest::FakeLineState;

PortSettings Named(const std::string& name) {
  PortSettings settings;
  settings.portName = name;
  settings.baudRate = 9600;
  settings.dataBits = 8;
  settings.timeouts = {10, 10, 10, 0, 0};
  settings.rxBufferSize = 8192;
  return settings;
}

TEST(PortIO, NothingWorksBeforeConfigure) {
  CPortIO io(FakeBackends(std::make_shared<FakeLineState>()));
  uint8_t buffer[8] = {};
  EXPECT_EQ(io.PortKind, -1);
  EXPECT_EQ(io.Open(0), 0);
  EXPECT_EQ(io.Write(buffer, 8), 0);
  EXPECT_EQ(io.Read(buffer, 8, 0), 0);
  io.Close();
}

TEST(PortIO, ConfigureChoosesAndAnswersForTheKind) {
  const struct {
    const char* name;
    int32_t kind;
    int accepted;
  } cases[] = {
      {"COM1", kPortKindSerial, 1},
      {"\\\\.\\COM15", kPortKindSerial, 1},
      {"com1", kPortKindUsb, 1},
      {"LPT2", kPortKindParallel, 1},
      {"LPT", kPortKindParallel, 1},
      {"\\\\?\\usb#vid_7a3c&pid_0105#1-2#{a5dcbf10-6530-11d2-901f-00c04fb951ed}", kPortKindUsb, 1},
      {"", kPortKindUsb, 0},
  };
  for (const auto& c : cases) {
    CPortIO io(FakeBackends(std::make_shared<FakeLineState>()));
    EXPECT_EQ(io.Configure(Named(c.name)), c.accepted) << c.name;
    EXPECT_EQ(io.PortKind, c.kind) << c.name;
    EXPECT_EQ(io.SerialPort() != nullptr, c.kind == kPortKindSerial) << c.name;
    EXPECT_EQ(io.ParallelPort() != nullptr, c.kind == kPortKindParallel) << c.name;
    EXPECT_EQ(io.UsbPort() != nullptr, c.kind == kPortKindUsb) << c.name;
  }
}

TEST(PortIO, SecondConfigureReplacesTheImplementation) {
  CPortIO io(FakeBackends(std::make_shared<FakeLineState>()));
  ASSERT_EQ(io.Configure(Named("COM1")), 1);
  ASSERT_EQ(io.Configure(Named("LPT1")), 1);
  EXPECT_EQ(io.PortKind, kPortKindParallel);
  EXPECT_EQ(io.SerialPort(), nullptr);
  EXPECT_NE(io.ParallelPort(), nullptr);
}

TEST(PortIO, ForwardsToTheChosenPortWithItsOwnCopy) {
  auto state = std::make_shared<FakeLineState>();
  platform::VirtualClock clock;
  platform::ScopedClock useClock(clock);
  CPortIO io(FakeBackends(state));
  PortSettings settings = Named("COM2");
  ASSERT_EQ(io.Configure(settings), 1);
  settings.baudRate = 2400;  // a later change by the owner leaves the port alone
  ASSERT_EQ(io.Open(0), 1);
  EXPECT_EQ(state->settings.baudRate, 9600);
  const uint8_t data[3] = {0x1D, 0x49, 0x41};
  EXPECT_EQ(io.Write(data, 3), 3);
  EXPECT_EQ(state->written, std::vector<uint8_t>(data, data + 3));
  state->Deliver({'=', '1', '.', '3', '5', 0});
  uint8_t reply[20] = {};
  int got = 0;
  // The reader runs on real time; the virtual clock makes Read's own wait free.
  for (int i = 0; i < 500 && got < 6; ++i) {
    got += io.Read(reply + got, 20 - got, 5);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(got, 6);
  EXPECT_EQ(reply[1], '1');
  io.Close();
  EXPECT_FALSE(io.SerialPort()->IsOpen());
  EXPECT_EQ(io.Write(data, 3), 0);
}

}  // namespace
