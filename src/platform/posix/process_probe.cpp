#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>

#include "platform/process_probe.h"

namespace platform {

namespace {
// The kernel's short name of a process (its program file's name, cut to 15 characters).
bool ReadCommand(const std::string& dir, std::string& name) {
  std::ifstream file(dir + "/comm");
  return static_cast<bool>(std::getline(file, name));
}
}  // namespace

long CurrentProcessId() {
  return static_cast<long>(getpid());
}

bool IsRunningInstance(long processId) {
  if (processId <= 0) return false;
  if (processId == CurrentProcessId()) return true;
  const std::string dir = "/proc/" + std::to_string(processId);
  if (access(dir.c_str(), F_OK) != 0) return errno != ENOENT;
  std::string own;
  std::string other;
  if (!ReadCommand("/proc/self", own) || !ReadCommand(dir, other)) return true;
  return own == other;
}

}  // namespace platform
