// The ports over real operating-system parts: pseudo-terminals for serial lines, FIFOs and
// a fake sysfs tree for USB device nodes. Never the machine's own ports.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/usb_device_node.h"
#include "ports/link_settings.h"
#include "ports/port_io.h"
#include "support/pty_pair.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

TEST(SerialOverPty, MebibyteArrivesCompleteAndInOrder) {
  testsupport::PtyPair pty;
  ASSERT_TRUE(pty.ok());
  testsupport::ScopedEnv env("QLX_COM15", pty.SlavePath() + ",nomodem");
  CPortIO io;
  ASSERT_EQ(io.Configure(portstest::LinkSettings("\\\\.\\COM15")), 1);
  ASSERT_EQ(io.Open(0), 1);
  std::vector<uint8_t> image(1 << 20);
  uint32_t seed = 12345;
  for (auto& byte : image) {
    seed = seed * 1103515245u + 12345u;
    byte = static_cast<uint8_t>(seed >> 16);
  }
  std::vector<uint8_t> received;
  std::thread drain([&] { received = pty.ReadFromMaster(image.size(), 5000); });
  int sent = 0;
  for (size_t offset = 0; offset < image.size(); offset += 4096) {
    sent += io.Write(image.data() + offset, 4096);
  }
  drain.join();
  io.Close();
  EXPECT_EQ(sent, static_cast<int>(image.size()));
  ASSERT_EQ(received.size(), image.size());
  EXPECT_TRUE(received == image);
}

TEST(SerialOverPty, ReaderDeliversRepliesAndLineIsExclusive) {
  testsupport::PtyPair pty;
  ASSERT_TRUE(pty.ok());
  testsupport::ScopedEnv env("QLX_COM3", pty.SlavePath() + ",nomodem");
  CPortIO io;
  ASSERT_EQ(io.Configure(portstest::LinkSettings("COM3")), 1);
  ASSERT_EQ(io.Open(0), 1);

  CPortIO second;
  ASSERT_EQ(second.Configure(portstest::LinkSettings("COM3")), 1);
  EXPECT_EQ(second.Open(0), 0);

  const uint8_t reply[] = {'=', '1', '.', '3', '5', 0};
  ASSERT_TRUE(pty.WriteToMaster(reply, sizeof reply));
  uint8_t got[20] = {};
  EXPECT_EQ(io.Read(got, 6, 300), 6);
  EXPECT_EQ(std::vector<uint8_t>(got, got + 6), std::vector<uint8_t>(reply, reply + 6));
  io.Close();
}

TEST(SerialOverPty, LineWithoutModemStatusIsRefusedUnlessMarked) {
  testsupport::PtyPair pty;
  ASSERT_TRUE(pty.ok());
  testsupport::ScopedEnv env("QLX_COM4", pty.SlavePath());
  CPortIO io;
  ASSERT_EQ(io.Configure(portstest::LinkSettings("COM4")), 1);
  EXPECT_EQ(io.Open(0), 0);  // a pseudo-terminal has no DSR to read
  // Released: the marked line opens at once afterwards.
  testsupport::ScopedEnv marked("QLX_COM4", pty.SlavePath() + ",nomodem");
  EXPECT_EQ(io.Open(0), 1);
  io.Close();
}

TEST(SerialOverPty, UnusualRatesAndFramesAreSet) {
  testsupport::PtyPair pty;
  ASSERT_TRUE(pty.ok());
  testsupport::ScopedEnv env("QLX_COM5", pty.SlavePath() + ",nomodem");
  for (int rate : {2400, 115200, 250000}) {
    CSerialPort port;
    PortSettings settings = portstest::LinkSettings("COM5");
    settings.baudRate = rate;
    settings.dataBits = 7;
    settings.parity = 1;
    settings.stopBits = 2;
    ASSERT_EQ(port.Configure(settings), 1);
    EXPECT_EQ(port.Open(0), 1) << rate;
    port.Close();
  }
  CSerialPort port;
  PortSettings settings = portstest::LinkSettings("COM5");
  settings.stopBits = 1;  // one and a half: not available here
  ASSERT_EQ(port.Configure(settings), 1);
  EXPECT_EQ(port.Open(0), 0);
}

// XOFF and XON played byte by byte while an image streams in the engine's 4096-byte blocks.
TEST(SerialOverPty, XoffHoldsAWriteInProgressAndXonResumesIt) {
  testsupport::PtyPair pty;
  ASSERT_TRUE(pty.ok());
  testsupport::ScopedEnv env("QLX_COM6", pty.SlavePath() + ",nomodem");
  CPortIO io;
  PortSettings settings = portstest::LinkSettings("COM6");
  settings.flowControl = 1;
  ASSERT_EQ(io.Configure(settings), 1);
  ASSERT_EQ(io.Open(0), 1);
  std::vector<uint8_t> image(256 * 1024);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7 + (i >> 9));
  const int total = static_cast<int>(image.size());
  std::atomic<int> sent{0};
  std::thread writer([&] {
    for (int at = 0; at < total && sent == at; at += 4096) {
      sent += io.Write(image.data() + at, 4096);
    }
  });
  std::vector<uint8_t> received = pty.ReadFromMaster(32 * 1024, 5000);
  auto append = [&](const std::vector<uint8_t>& more) {
    received.insert(received.end(), more.begin(), more.end());
    return more.size();
  };
  EXPECT_TRUE(pty.WriteToMaster("\x13O", 2));
  // Once 'O' is read, the port has seen the XOFF before it.
  uint8_t reply[4] = {};
  for (int tries = 0; tries < 100 && io.Read(reply, 1, 20) == 0; ++tries) {
  }
  append(pty.ReadFromMaster(image.size(), 100));  // already on its way
  EXPECT_LE(append(pty.ReadFromMaster(image.size(), 300)), 4096u);
  EXPECT_LT(sent.load(), total);
  EXPECT_TRUE(pty.WriteToMaster("\x11K", 2));
  append(pty.ReadFromMaster(image.size() - received.size(), 5000));
  writer.join();
  EXPECT_EQ(sent.load(), total);
  EXPECT_TRUE(received == image);
  // Neither flow byte reached the receive buffer.
  EXPECT_EQ(reply[0], 'O');
  EXPECT_EQ(io.Read(reply, 4, 300), 1);
  EXPECT_EQ(reply[0], 'K');
  io.Close();
}

TEST(ParallelOverFifo, WritesReachTheNode) {
  testsupport::TempDir dir;
  const std::string fifo = dir.Join("lp0");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  testsupport::ScopedEnv env("QLX_LPT1", fifo);
  CPortIO io;
  ASSERT_EQ(io.Configure(portstest::LinkSettings("LPT1")), 1);
  ASSERT_EQ(io.Open(0), 1);
  CPortIO second;
  ASSERT_EQ(second.Configure(portstest::LinkSettings("LPT1")), 1);
  EXPECT_EQ(second.Open(0), 0);  // not shared
  const uint8_t data[] = "firmware";
  EXPECT_EQ(io.Write(data, 8), 8);
  char got[16] = {};
  EXPECT_EQ(read(reader, got, sizeof got), 8);
  EXPECT_STREQ(got, "firmware");
  io.Close();
  close(reader);
}

// A fake sysfs tree with one printer at entry 1-2 whose usblp node is a FIFO.
class UsbTree : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(sysfs.Join("bus/usb/devices/1-2/1-2:1.0/usbmisc/lp3"));
    fs::create_directories(sysfs.Join("bus/usb/devices/1-3/1-3:1.0"));
    fs::create_directories(dev.Join("usb"));
    ASSERT_EQ(mkfifo(dev.Join("usb/lp3").c_str(), 0600), 0);
  }
  testsupport::TempDir sysfs;
  testsupport::TempDir dev;
  const std::string path =
      "\\\\?\\usb#vid_7a3c&pid_0105#1-2#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
};

TEST_F(UsbTree, ResolverFindsTheUsblpNode) {
  platform::SysfsDevicePathResolver resolver(sysfs.path(), dev.path());
  auto node = resolver.ResolveDevicePath(path);
  ASSERT_TRUE(node.ok());
  EXPECT_EQ(node.value(), dev.Join("usb/lp3"));
  EXPECT_EQ(resolver.ResolveDevicePath("/dev/usb/lp7").value(), "/dev/usb/lp7");
  std::string noPrinter = path;
  noPrinter.replace(noPrinter.find("#1-2#"), 5, "#1-3#");
  EXPECT_FALSE(resolver.ResolveDevicePath(noPrinter).ok());
  std::string absent = path;
  absent.replace(absent.find("#1-2#"), 5, "#9-9#");
  EXPECT_FALSE(resolver.ResolveDevicePath(absent).ok());
  EXPECT_FALSE(resolver.ResolveDevicePath("relative/path").ok());
}

TEST_F(UsbTree, PortOpensThroughTheInterfacePath) {
  testsupport::ScopedEnv sysfsRoot("QLX_SYSFS_ROOT", sysfs.path());
  testsupport::ScopedEnv devRoot("QLX_DEV_ROOT", dev.path());
  int reader = open(dev.Join("usb/lp3").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  CPortIO io;
  ASSERT_EQ(io.Configure(portstest::LinkSettings(path)), 1);
  ASSERT_EQ(io.PortKind, kPortKindUsb);
  ASSERT_EQ(io.Open(0), 1);
  CUsbPort probe;
  ASSERT_EQ(probe.Configure(portstest::LinkSettings(path)), 1);
  EXPECT_EQ(probe.Open(0), 0);  // held by the download
  std::vector<uint8_t> data(10000, 0x42);
  std::vector<uint8_t> got;
  std::thread drain([&] {
    uint8_t chunk[4096];
    for (int idle = 0; got.size() < data.size() && idle < 500;) {
      ssize_t n = read(reader, chunk, sizeof chunk);
      if (n > 0) {
        got.insert(got.end(), chunk, chunk + n);
      } else {
        ++idle;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    }
  });
  EXPECT_EQ(io.Write(data.data(), 10000), 10000);
  drain.join();
  EXPECT_EQ(got, data);
  io.Close();
  close(reader);
}

}  // namespace
