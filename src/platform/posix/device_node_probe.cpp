#include "platform/device_node_probe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "platform/posix/io.h"
#include "platform/usb_device_node.h"

namespace platform {
namespace {

// The "ttySn" name of a built-in serial port node, "" for any other node.
std::string_view BuiltInSerialName(std::string_view path) {
  const size_t slash = path.rfind('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  if (!name.starts_with("ttyS") || name.size() == 4 || name.size() > 7) return {};
  for (char c : name.substr(4)) {
    if (c < '0' || c > '9') return {};
  }
  return name;
}

// Whether the sysfs attribute at `path` reads "0". Only a regular file is read, and only its
// first bytes: a FIFO planted there would block, and an endless file must not be taken in.
bool AttributeIsZero(const std::string& path) {
  auto fd = posix::Open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY);
  if (!fd) return false;
  struct stat info {};
  char text[4];
  SysResult<size_t> got = SysResult<size_t>::Fail("read", EINVAL);
  if (::fstat(fd.value(), &info) == 0 && S_ISREG(info.st_mode)) {
    got = posix::Read(fd.value(), text, sizeof text);
  }
  posix::Close(fd.value());
  if (!got) return false;
  const std::string_view value(text, got.value());
  return value == "0" || value == "0\n";
}

}  // namespace

SysStatus ProbeDeviceNode(const std::string& path, NodeUse use) {
  struct stat node {};
  if (::stat(path.c_str(), &node) != 0) return SysStatus::Fail("open", errno);
  // Opened for reading and writing, a directory refuses before its permissions are looked at.
  if (S_ISDIR(node.st_mode)) return SysStatus::Fail("open", EISDIR);
  if (::faccessat(AT_FDCWD, path.c_str(), R_OK | W_OK, AT_EACCESS) != 0) {
    return SysStatus::Fail("open", errno);
  }
  // A serial line is made exclusive first thing after it opens, which only a terminal takes.
  if (use == NodeUse::kSerialLine && !S_ISCHR(node.st_mode)) {
    return SysStatus::Fail("ioctl(TIOCEXCL)", ENOTTY);
  }
  return OkStatus();
}

bool LinePresent(const std::string& path) {
  struct stat node {};
  if (::stat(path.c_str(), &node) != 0 || !S_ISCHR(node.st_mode)) return false;
  const std::string_view serial = BuiltInSerialName(path);
  if (serial.empty()) return true;
  // The kernel makes a node for every possible built-in port; type 0 has no UART behind it.
  return !AttributeIsZero(UsbSysfsRoot() + "/class/tty/" + std::string(serial) + "/type");
}

}  // namespace platform
