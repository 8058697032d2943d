#include "platform/device_node_probe.h"

#include <windows.h>

#include "platform/win32/errors.h"

namespace platform {
namespace {

constexpr char kDevicePrefix[] = "\\\\.\\";

// Whether `path` names a device the system knows: "\\.\COM3" by its DOS device name,
// anything else as a file-system entry.
SysStatus LookAt(const std::string& path, bool& directory) {
  directory = false;
  if (path.rfind(kDevicePrefix, 0) == 0) {
    char target[1024];
    const std::string name = path.substr(sizeof kDevicePrefix - 1);
    if (QueryDosDeviceA(name.c_str(), target, sizeof target) == 0) {
      return SysStatus::Fail("CreateFileA", ENOENT);
    }
    return OkStatus();
  }
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return SysStatus::Fail("CreateFileA", LastErrno());
  directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  return OkStatus();
}

}  // namespace

SysStatus ProbeDeviceNode(const std::string& path, NodeUse use) {
  bool directory = false;
  if (auto seen = LookAt(path, directory); !seen) return seen;
  if (directory) return SysStatus::Fail("CreateFileA", EACCES);
  // A file is no COM port: the line's state cannot be read from it.
  if (use == NodeUse::kSerialLine && path.rfind(kDevicePrefix, 0) != 0) {
    return SysStatus::Fail("GetCommState", ENOTSUP);
  }
  return OkStatus();
}

bool LinePresent(const std::string& path) {
  bool directory = false;
  return path.rfind(kDevicePrefix, 0) == 0 && LookAt(path, directory).ok();
}

}  // namespace platform
