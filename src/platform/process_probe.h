#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// What names one run of the program for every start that reads a queue's note, on this
// machine or on another that shares the scheduler: the machine it runs on, the PID namespace
// it runs in, its process id there and the moment it started. A process id alone comes back
// for another process; with its start time it names one process only.
struct RunIdentity {
  // The machine: its machine id and, on Linux, its boot (a start time counts from the boot,
  // and cloned machines may share a machine id). Letters, digits and '-' only.
  std::string host;
  uint64_t pidNamespace = 0;
  long processId = 0;
  uint64_t startTime = 0;
  bool operator==(const RunIdentity&) const = default;
};

enum class RunState {
  kRunning,
  kEnded,
  // A run of another machine or PID namespace, or a process this one may not look at.
  kCannotTell,
};

// This process's id.
long CurrentProcessId();
// This process as a run.
RunIdentity CurrentRun();
// Whether `run` still runs: the process of that id here must have started at that moment. A
// process that has ended but was not yet reaped (a zombie) runs no more. The program's name
// plays no part: a copy under another name is as much a run.
RunState StateOfRun(const RunIdentity& run);
// The process running as `processId` in this PID namespace now, if any.
std::optional<RunIdentity> RunOfProcess(long processId);

}  // namespace platform
