#pragma once

namespace platform {

// A request to end the run, made by a termination signal (SIGINT, SIGTERM, SIGHUP,
// SIGQUIT). While a download holds a link and parked queues, the signal is only recorded:
// the engine and the ports' long waits look at it, put everything back and then end the
// process by that same signal. With no download under way the process ends at once, as it would
// without us.
void InstallStopSignals();

// The signal that asked the run to end, or 0.
int PendingStopSignal();
inline bool StopRequested() {
  return PendingStopSignal() != 0;
}

// Ends the process by `signal` as its default action would (for 0, does nothing).
void EndByStopSignal(int signal);

// Marks a download under way for its lifetime: a stop signal is recorded instead of
// ending the process.
class StopGuard {
 public:
  StopGuard();
  ~StopGuard();
  StopGuard(const StopGuard&) = delete;
  StopGuard& operator=(const StopGuard&) = delete;
};

// Tests: records `signal` as if it had arrived, or clears the record with 0.
void SetPendingStopSignalForTest(int signal);

}  // namespace platform
