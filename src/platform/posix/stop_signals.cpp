#include <signal.h>

#include "platform/stop_request.h"
#include "platform/stop_state.h"

namespace platform {

namespace {
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void OnStopSignal(int signal) {
  if (stopstate::guards.load() == 0) {
    // Nothing to put back: end as the default action would. The signal is blocked while
    // this handler runs, so it is delivered again as soon as the handler returns.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
    return;
  }
  stopstate::pendingSignal.store(signal);
}
}  // namespace

void InstallStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : kStopSignals) sigaddset(&action.sa_mask, signal);
  // No SA_RESTART: a wait in a system call comes back, so the waiting loop sees the request.
  action.sa_flags = 0;
  for (int signal : kStopSignals) {
    struct sigaction previous {};
    // A signal the caller chose to ignore (nohup) stays ignored.
    if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
}

void EndByStopSignal(int signal) {
  if (signal == 0) return;
  ::signal(signal, SIG_DFL);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signal);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  ::raise(signal);
}

}  // namespace platform
