#include "platform/process_probe.h"

#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>

namespace platform {

namespace {
// The kernel's short name of a process (its program file's name, cut to 15 characters).
bool ReadCommand(const std::string& dir, std::string& name) {
  std::ifstream file(dir + "/comm");
  return static_cast<bool>(std::getline(file, name));
}

// A process that was killed but not yet reaped by its parent (a zombie) runs no more: its
// queues are free. The state letter follows the command name in brackets, which may itself
// hold any character, so it is looked for after the last closing bracket.
bool HasEnded(const std::string& dir) {
  std::ifstream file(dir + "/stat");
  std::string line;
  if (!std::getline(file, line)) return false;
  const size_t close = line.rfind(')');
  if (close == std::string::npos || close + 2 >= line.size()) return false;
  const char state = line[close + 2];
  return state == 'Z' || state == 'X';
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
  if (HasEnded(dir)) return false;
  std::string own;
  std::string other;
  if (!ReadCommand("/proc/self", own) || !ReadCommand(dir, other)) return true;
  return own == other;
}

}  // namespace platform
