// The pure rules of the port layer: name classification, port map, version word, USB
// interface paths, time-out arithmetic, the reasons given for a refused open.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <optional>
#include <string>

#include "platform/comm_timeouts.h"
#include "platform/port_map.h"
#include "platform/usb_device_node.h"
#include "platform/win9x_platform.h"
#include "ports/port_io.h"
#include "ports/port_open_failure.h"
#include "support/temp_dir.h"

namespace {

TEST(PortKindForName, FollowsExactPrefixes) {
  const struct {
    const char* name;
    int32_t kind;
  } cases[] = {
      {"COM1", kPortKindSerial},
      {"\\\\.\\COM15", kPortKindSerial},
      {"COM", kPortKindSerial},
      {"COMX", kPortKindSerial},
      {"com1", kPortKindUsb},
      {"\\\\.\\com15", kPortKindUsb},
      {"\\\\.\\CO", kPortKindUsb},
      {"LPT2", kPortKindParallel},
      {"LPT", kPortKindParallel},
      {"lpt1", kPortKindUsb},
      {"LP", kPortKindUsb},
      {"", kPortKindUsb},
      {"\\\\?\\usb#vid_7a3c&pid_0105#1-2#{a5dcbf10-6530-11d2-901f-00c04fb951ed}", kPortKindUsb},
      {"192.168.0.10", kPortKindUsb},
  };
  for (const auto& c : cases) EXPECT_EQ(PortKindForName(c.name), c.kind) << c.name;
}

TEST(PortMap, DefaultNodes) {
  platform::PortMap map([](const char*) -> const char* { return nullptr; });
  const struct {
    const char* name;
    std::optional<std::string> node;
  } cases[] = {
      {"COM1", "/dev/ttyS0"},
      {"COM9", "/dev/ttyS8"},
      {"\\\\.\\COM10", "/dev/ttyS9"},
      {"\\\\.\\COM20", "/dev/ttyS19"},
      {"\\\\.\\COM3", "/dev/ttyS2"},
      {"LPT1", "/dev/lp0"},
      {"LPT3", "/dev/lp2"},
      {"COM10", std::nullopt},
      {"\\\\.\\COM255", "/dev/ttyS254"},
      {"\\\\.\\COM256", std::nullopt},
      {"\\\\.\\COM021", std::nullopt},
      {"COM0", std::nullopt},
      {"COM01", std::nullopt},
      {"COM1 ", std::nullopt},
      {"COM", std::nullopt},
      {"LPT", std::nullopt},
      {"LPT4", std::nullopt},
      {"com1", std::nullopt},
      {"/dev/ttyS0", std::nullopt},
  };
  for (const auto& c : cases) {
    auto node = map.Resolve(c.name);
    if (!c.node) {
      EXPECT_FALSE(node.has_value()) << c.name;
    } else {
      ASSERT_TRUE(node.has_value()) << c.name;
      EXPECT_EQ(node->devicePath, *c.node) << c.name;
      EXPECT_FALSE(node->noModem) << c.name;
    }
  }
}

TEST(PortMap, EnvironmentOverrides) {
  const std::string longPath = "/tmp/" + std::string(400, 'x');
  std::map<std::string, std::string> environment = {
      {"QLX_COM1", "/dev/ttyUSB0"},
      {"QLX_COM15", "/dev/pts/7,nomodem"},
      {"QLX_COM2", ""},
      {"QLX_LPT2", longPath},
      {"QLX_COM3", ",nomodem"},
  };
  platform::PortMap map([&](const char* name) -> const char* {
    auto it = environment.find(name);
    return it == environment.end() ? nullptr : it->second.c_str();
  });
  const struct {
    const char* name;
    platform::PortNode node;
  } cases[] = {
      {"COM1", {"/dev/ttyUSB0", false}},
      {"\\\\.\\COM1", {"/dev/ttyUSB0", false}},
      {"\\\\.\\COM15", {"/dev/pts/7", true}},
      {"COM2", {"/dev/ttyS1", false}},  // empty counts as not set
      {"LPT2", {longPath, false}},      // no truncation of long paths
      {"COM3", {"", true}},
      {"LPT1", {"/dev/lp0", false}},
  };
  for (const auto& c : cases) EXPECT_EQ(map.Resolve(c.name), c.node) << c.name;
}

TEST(Win9xRule, VersionWord) {
  const struct {
    uint32_t word;
    bool win9x;
  } cases[] = {
      {0x0A280105u, false},  // NT 5.1, build 2600
      {0x00000004u, true},   // NT family with build 0
      {0xC0000004u, true},   // 95: top bit, major 4
      {0xC0000A04u, true},   // 98
      {0x80000003u, true},   // Win32s-like, major 3, no build
      {0x80010003u, false},  // major 3 with a build number
      {0xFFFF0003u, false}, {0x80000000u, true},
  };
  for (const auto& c : cases) EXPECT_EQ(platform::IsWin9xVersionWord(c.word), c.win9x) << c.word;
  EXPECT_FALSE(platform::IsWin9xPlatform());
}

TEST(UsbInterfacePath, EntryName) {
  const struct {
    std::string path;
    std::optional<std::string> entry;
  } cases[] = {
      {"\\\\?\\usb#vid_7a3c&pid_0105#1-2#{a5dcbf10-6530-11d2-901f-00c04fb951ed}", "1-2"},
      {"\\\\?\\USB#VID_7A3C&PID_0105#3-1.4.2#{a5dcbf10-6530-11d2-901f-00c04fb951ed}", "3-1.4.2"},
      {"\\\\?\\usb#vid_7a3c&pid_0105#..#{x}", std::nullopt},
      {"\\\\?\\usb#vid_7a3c&pid_0105#1-2/../..#{x}", std::nullopt},
      {"\\\\?\\usb#vid_7a3c&pid_0105#1-2:1.0#{x}", std::nullopt},
      {"\\\\?\\usb#vid_7a3c&pid_0105##{x}", std::nullopt},
      {"\\\\?\\usb#vid_7a3c&pid_0105#1-2", std::nullopt},
      {"\\\\?\\hid#vid_7a3c&pid_0105#1-2#{x}", std::nullopt},
      {"COM1", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(platform::UsbEntryFromInterfacePath(c.path), c.entry) << c.path;
}

TEST(CommTimeouts, TotalLimit) {
  EXPECT_EQ(platform::TotalTimeoutMs(0, 0, 100), -1);
  EXPECT_EQ(platform::TotalTimeoutMs(10, 10, 20), 210);
  EXPECT_EQ(platform::TotalTimeoutMs(5, 3000, 4096), 5 * 4096 + 3000);
  EXPECT_EQ(platform::TotalTimeoutMs(0, 3000, 1u << 30), 3000);
  // A huge block saturates instead of wrapping to a short limit.
  EXPECT_EQ(platform::TotalTimeoutMs(0xFFFFFFFFu, 0xFFFFFFFFu, 1u << 30), INT32_MAX);
}

TEST(OpenFailureReason, NamesNodeErrorAndTheGroupThatMayOpenIt) {
  testsupport::TempDir dir;
  const std::string node = dir.Join("ttyS9");
  testsupport::WriteFile(node, "");
  // The node belongs to a group other than the superuser's, as serial nodes do.
  if (getuid() == 0) {
    ASSERT_EQ(chown(node.c_str(), static_cast<uid_t>(-1), 20), 0);
  }
  struct stat st {};
  ASSERT_EQ(stat(node.c_str(), &st), 0);
  const group* owner = getgrgid(st.st_gid);
  if (st.st_gid == 0 || owner == nullptr) GTEST_SKIP() << "no group to name";
  const std::string hint = "; add the user to group " + std::string(owner->gr_name);

  using platform::SysStatus;
  EXPECT_EQ(DescribeOpenFailure(node, SysStatus::Fail("open", EACCES)),
            node + ": Permission denied" + hint + " (and log in again)");
  EXPECT_EQ(DescribeOpenFailure("/no/such/node", SysStatus::Fail("open", EACCES)),
            "/no/such/node: Permission denied");
  EXPECT_EQ(DescribeOpenFailure(node, SysStatus::Fail("flock", EWOULDBLOCK)),
            node + ": flock: " + std::strerror(EWOULDBLOCK) + "; another program holds the port");
  EXPECT_EQ(DescribeOpenFailure(node, platform::OkStatus()), "");

  PortOpenFailure refused;
  refused.node = node;
  refused.condition = "the printer does not raise DSR";
  EXPECT_EQ(DescribePortOpenFailure(refused), node + ": the printer does not raise DSR");
  EXPECT_EQ(DescribePortOpenFailure(PortOpenFailure{}), "");
}

}  // namespace
