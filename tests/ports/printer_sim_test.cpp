// The printer simulator run as a process, on each of its links.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "ports/link_settings.h"
#include "ports/port_io.h"
#include "support/child_process.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<uint8_t> Pattern(size_t length) {
  std::vector<uint8_t> bytes(length);
  for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>((i * 31) ^ (i >> 8));
  return bytes;
}

class PrinterSim : public ::testing::Test {
 protected:
  // Starts the simulator and returns what its ready line names.
  std::string Start(std::vector<std::string> args) {
    args.insert(args.begin(), VRTQLX_SIM_BINARY);
    args.push_back("--out");
    args.push_back(out);
    sim = std::make_unique<testsupport::ChildProcess>(args);
    EXPECT_TRUE(sim->started());
    auto line = sim->ReadLine(5000);
    EXPECT_TRUE(line && line->starts_with("ready ")) << line.value_or("(nothing)");
    return line ? line->substr(6) : std::string();
  }
  std::string Summary() {
    auto line = sim->ReadLine(5000);
    EXPECT_TRUE(line.has_value());
    EXPECT_EQ(sim->Wait(5000), 0);
    return line.value_or("");
  }
  int ConnectTcp(const std::string& address) {
    const int port = std::stoi(address.substr(address.find(':') + 1));
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<uint16_t>(port));
    peer.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&peer), sizeof peer), 0);
    return fd;
  }

  testsupport::TempDir dir;
  std::string out = dir.Join("received.bin");
  std::unique_ptr<testsupport::ChildProcess> sim;
};

TEST_F(PrinterSim, TcpStoresTheStreamAndSumsItUp) {
  const std::string address = Start({"tcp", "--port", "0"});
  ASSERT_TRUE(address.starts_with("127.0.0.1:"));
  int fd = ConnectTcp(address);
  ASSERT_EQ(send(fd, "123456789", 9, 0), 9);
  close(fd);
  EXPECT_TRUE(Summary().starts_with("received 9 bytes crc32 cbf43926 in "));
  EXPECT_EQ(FileBytes(out), std::vector<uint8_t>({'1', '2', '3', '4', '5', '6', '7', '8', '9'}));
}

TEST_F(PrinterSim, SerialAnswersQueriesAndKeepsEverything) {
  const std::string device = Start({"serial", "--version", "1.40", "--fpga", "8"});
  testsupport::ScopedEnv env("QLX_COM7", device + ",nomodem");
  CPortIO io;
  ASSERT_EQ(io.Configure(portstest::LinkSettings("COM7")), 1);
  ASSERT_EQ(io.Open(0), 1);
  const uint8_t versionQuery[] = {0x1D, 0x49, 0x41};
  ASSERT_EQ(io.Write(versionQuery, 3), 3);
  uint8_t reply[20] = {};
  ASSERT_EQ(io.Read(reply, 6, 300), 6);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(reply) + 1, 5), std::string("1.40\0", 5));
  const uint8_t fpgaQuery[] = {0x08, 0x13, 0x25, 0x01, 0x02};
  ASSERT_EQ(io.Write(fpgaQuery, 5), 5);
  ASSERT_EQ(io.Read(reply, 5, 300), 5);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(reply), 5), std::string("_8\0\0\0", 5));
  const auto image = Pattern(200000);
  ASSERT_EQ(io.Write(image.data(), static_cast<int>(image.size())), 200000);
  io.Close();
  EXPECT_TRUE(Summary().starts_with("received 200008 bytes crc32 "));
  auto stored = FileBytes(out);
  ASSERT_EQ(stored.size(), 200008u);
  EXPECT_TRUE(std::equal(image.begin(), image.end(), stored.begin() + 8));
}

TEST_F(PrinterSim, SilentSerialAnswersNothing) {
  const std::string device = Start({"serial", "--silent"});
  testsupport::ScopedEnv env("QLX_COM8", device + ",nomodem");
  CPortIO io;
  ASSERT_EQ(io.Configure(portstest::LinkSettings("COM8")), 1);
  ASSERT_EQ(io.Open(0), 1);
  const uint8_t versionQuery[] = {0x1D, 0x49, 0x41};
  ASSERT_EQ(io.Write(versionQuery, 3), 3);
  uint8_t reply[20] = {};
  EXPECT_EQ(io.Read(reply, 20, 300), 0);
  io.Close();
  EXPECT_TRUE(Summary().starts_with("received 3 bytes "));
}

TEST_F(PrinterSim, NodeAsPtyServesAUsbPort) {
  const std::string device = Start({"node", "--version", "2.01"});
  CPortIO io;
  ASSERT_EQ(io.Configure(portstest::LinkSettings(device)), 1);
  ASSERT_EQ(io.PortKind, kPortKindUsb);
  ASSERT_EQ(io.Open(0), 1);
  const uint8_t versionQuery[] = {0x1D, 0x49, 0x41};
  ASSERT_EQ(io.Write(versionQuery, 3), 3);
  uint8_t reply[20] = {};
  EXPECT_EQ(io.Read(reply, 20, 0), 6);
  EXPECT_EQ(reply[1], '2');
  const auto image = Pattern(10000);
  EXPECT_EQ(io.Write(image.data(), 10000), 10000);
  io.Close();
  EXPECT_TRUE(Summary().starts_with("received 10003 bytes "));
}

TEST_F(PrinterSim, NodeAsFifoBehindAFakeSysfsTree) {
  testsupport::TempDir sysfs;
  testsupport::TempDir dev;
  fs::create_directories(sysfs.Join("bus/usb/devices/2-1/2-1:1.0/usbmisc/lp0"));
  fs::create_directories(dev.Join("usb"));
  const std::string node = Start({"node", "--path", dev.Join("usb/lp0")});
  EXPECT_EQ(node, dev.Join("usb/lp0"));
  testsupport::ScopedEnv sysfsRoot("QLX_SYSFS_ROOT", sysfs.path());
  testsupport::ScopedEnv devRoot("QLX_DEV_ROOT", dev.path());
  CPortIO io;
  ASSERT_EQ(io.Configure(portstest::LinkSettings(
                "\\\\?\\usb#vid_7a3c&pid_0101#2-1#{a5dcbf10-6530-11d2-901f-00c04fb951ed}")),
            1);
  ASSERT_EQ(io.Open(0), 1);
  const auto image = Pattern(50000);
  EXPECT_EQ(io.Write(image.data(), 50000), 50000);
  io.Close();
  EXPECT_TRUE(Summary().starts_with("received 50000 bytes "));
  EXPECT_EQ(FileBytes(out), image);
}

TEST_F(PrinterSim, CloseAfterEndsTheConnectionMidTransfer) {
  const std::string address = Start({"tcp", "--port", "0", "--close-after", "1000"});
  int fd = ConnectTcp(address);
  const auto image = Pattern(5000);
  send(fd, image.data(), image.size(), MSG_NOSIGNAL);
  EXPECT_TRUE(Summary().starts_with("received 1000 bytes "));
  EXPECT_EQ(FileBytes(out), std::vector<uint8_t>(image.begin(), image.begin() + 1000));
  close(fd);
}

TEST_F(PrinterSim, StopAfterKeepsTheConnectionUntilThePeerGoes) {
  const std::string address = Start({"tcp", "--port", "0", "--stop-after", "100"});
  int fd = ConnectTcp(address);
  const auto image = Pattern(5000);
  ASSERT_EQ(send(fd, image.data(), image.size(), MSG_NOSIGNAL), 5000);
  EXPECT_FALSE(sim->Wait(200).has_value());  // still there, not reading
  close(fd);
  EXPECT_TRUE(Summary().starts_with("received 100 bytes "));
}

TEST_F(PrinterSim, SlowReadingPacesTheTransfer) {
  const std::string address = Start({"tcp", "--port", "0", "--slow", "20000"});
  int fd = ConnectTcp(address);
  const auto image = Pattern(4000);
  ASSERT_EQ(send(fd, image.data(), image.size(), MSG_NOSIGNAL), 4000);
  close(fd);
  const std::string summary = Summary();
  ASSERT_TRUE(summary.starts_with("received 4000 bytes "));
  const double seconds = std::stod(summary.substr(summary.find(" in ") + 4));
  EXPECT_GE(seconds, 0.15);  // 4000 bytes at 20000 per second: 0.2 s
}

TEST_F(PrinterSim, TerminationStillPrintsTheSummary) {
  Start({"serial"});
  sim->Signal(SIGTERM);
  EXPECT_EQ(Summary(), "received 0 bytes crc32 00000000 in 0.000 s");
}

TEST_F(PrinterSim, BadArgumentsAreRefused) {
  testsupport::ChildProcess bad({VRTQLX_SIM_BINARY, "tcp", "--port", "99999", "--out", out});
  EXPECT_EQ(bad.Wait(5000), 2);
  testsupport::ChildProcess noOut({VRTQLX_SIM_BINARY, "serial"});
  EXPECT_EQ(noOut.Wait(5000), 2);
}

}  // namespace
