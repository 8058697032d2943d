#include "platform/process_probe.h"

#include <windows.h>

#include <string>

namespace platform {

namespace {
// The computer's name, in letters, digits and '-' only. A process's creation time is a
// moment of the calendar, so no boot needs naming here.
std::string HostName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD length = sizeof name;
  std::string host;
  if (GetComputerNameA(name, &length)) {
    for (DWORD i = 0; i < length && i < MAX_COMPUTERNAME_LENGTH; ++i) {
      const char c = name[i];
      const bool plain = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || c == '-';
      if (c >= 'A' && c <= 'Z') {
        host += static_cast<char>(c + 32);
      } else {
        host += plain ? c : '-';
      }
    }
  }
  return host.empty() ? std::string("none") : host;
}

uint64_t CreationTime(HANDLE process) {
  FILETIME created{}, ended{}, kernel{}, user{};
  if (!GetProcessTimes(process, &created, &ended, &kernel, &user)) return 0;
  return (uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime;
}
}  // namespace

long CurrentProcessId() {
  return static_cast<long>(GetCurrentProcessId());
}

RunIdentity CurrentRun() {
  RunIdentity run;
  run.host = HostName();
  run.processId = CurrentProcessId();
  run.startTime = CreationTime(GetCurrentProcess());
  return run;
}

std::optional<RunIdentity> RunOfProcess(long processId) {
  if (processId <= 0) return std::nullopt;
  HANDLE process =
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(processId));
  if (process == nullptr) return std::nullopt;
  DWORD exitCode = 0;
  const bool running = GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE;
  RunIdentity run;
  run.host = HostName();
  run.processId = processId;
  run.startTime = CreationTime(process);
  CloseHandle(process);
  if (!running) return std::nullopt;
  return run;
}

RunState StateOfRun(const RunIdentity& run) {
  if (run.host != HostName() || run.pidNamespace != 0) return RunState::kCannotTell;
  if (run.processId <= 0) return RunState::kEnded;
  HANDLE process =
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(run.processId));
  if (process == nullptr) {
    return GetLastError() == ERROR_ACCESS_DENIED ? RunState::kCannotTell : RunState::kEnded;
  }
  DWORD exitCode = 0;
  const bool running = GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE;
  const uint64_t started = CreationTime(process);
  CloseHandle(process);
  return running && started == run.startTime ? RunState::kRunning : RunState::kEnded;
}

}  // namespace platform
