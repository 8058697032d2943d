#include "platform/process_probe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/sys_result.h"

namespace platform {

namespace {
// A small file of the system's, at most `limit` bytes of it.
std::string ReadSmallFile(const std::string& path, size_t limit, int& error) {
  error = 0;
  const int fd = RetryOnInterrupt([&] { return open(path.c_str(), O_RDONLY | O_CLOEXEC); });
  if (fd < 0) {
    error = errno;
    return {};
  }
  std::string text(limit, '\0');
  const ssize_t got = RetryOnInterrupt([&] { return read(fd, text.data(), limit); });
  if (got < 0) error = errno;
  close(fd);
  text.resize(got < 0 ? 0 : static_cast<size_t>(got));
  return text;
}

// The first `count` hexadecimal digits of a system id (dashes skipped), or "" when the file
// holds fewer.
std::string HexPrefix(const std::string& path, size_t count) {
  int error = 0;
  const std::string text = ReadSmallFile(path, 64, error);
  std::string digits;
  for (const char c : text) {
    if (digits.size() == count || c == '\n') break;
    if (c == '-') continue;
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return {};
    digits += c;
  }
  return digits.size() == count ? digits : std::string();
}

// The machine id (of /etc/machine-id, as systemd keeps it) and the boot, both cut to what
// tells machines and boots apart.
std::string HostName() {
  std::string machine = HexPrefix("/etc/machine-id", 12);
  if (machine.empty()) machine = HexPrefix("/var/lib/dbus/machine-id", 12);
  if (machine.empty()) machine = "none";
  const std::string boot = HexPrefix("/proc/sys/kernel/random/boot_id", 8);
  return machine + "-" + (boot.empty() ? "none" : boot);
}

uint64_t PidNamespace() {
  struct stat info {};
  return stat("/proc/self/ns/pid", &info) == 0 ? static_cast<uint64_t>(info.st_ino) : 0;
}

struct ProcessStat {
  char state = 0;
  uint64_t startTime = 0;
};

// /proc/PID/stat: the state is the third field and the start time (in clock ticks since the
// boot) the 22nd. The command name before them is in brackets and may itself hold any
// character, so fields are counted from the last closing bracket.
std::optional<ProcessStat> ReadStat(long processId, int& error) {
  const std::string text =
      ReadSmallFile("/proc/" + std::to_string(processId) + "/stat", 1024, error);
  const size_t close = text.rfind(')');
  if (error != 0 || close == std::string::npos || close + 2 >= text.size()) return std::nullopt;
  ProcessStat stat;
  stat.state = text[close + 2];
  size_t at = close + 2;
  for (int field = 3; field < 22; ++field) {
    at = text.find(' ', at);
    if (at == std::string::npos) return std::nullopt;
    ++at;
  }
  size_t digits = 0;
  while (at + digits < text.size() && text[at + digits] >= '0' && text[at + digits] <= '9') {
    if (++digits > 19) return std::nullopt;
  }
  if (digits == 0) return std::nullopt;
  stat.startTime = std::stoull(text.substr(at, digits));
  return stat;
}
}  // namespace

long CurrentProcessId() {
  return static_cast<long>(getpid());
}

RunIdentity CurrentRun() {
  RunIdentity run;
  run.host = HostName();
  run.pidNamespace = PidNamespace();
  run.processId = CurrentProcessId();
  int error = 0;
  if (auto stat = ReadStat(run.processId, error)) run.startTime = stat->startTime;
  return run;
}

std::optional<RunIdentity> RunOfProcess(long processId) {
  if (processId <= 0) return std::nullopt;
  int error = 0;
  const auto stat = ReadStat(processId, error);
  if (!stat || stat->state == 'Z' || stat->state == 'X') return std::nullopt;
  RunIdentity run;
  run.host = HostName();
  run.pidNamespace = PidNamespace();
  run.processId = processId;
  run.startTime = stat->startTime;
  return run;
}

RunState StateOfRun(const RunIdentity& run) {
  if (run.host != HostName() || run.pidNamespace != PidNamespace()) return RunState::kCannotTell;
  if (run.processId <= 0) return RunState::kEnded;
  int error = 0;
  const auto stat = ReadStat(run.processId, error);
  if (!stat) return error == ENOENT || error == ESRCH ? RunState::kEnded : RunState::kCannotTell;
  if (stat->state == 'Z' || stat->state == 'X') return RunState::kEnded;
  return stat->startTime == run.startTime ? RunState::kRunning : RunState::kEnded;
}

}  // namespace platform
