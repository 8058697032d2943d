#include <windows.h>

#include <csignal>

#include "platform/stop_request.h"
#include "platform/stop_state.h"

namespace platform {

namespace {
// The exit status of a process ended by Ctrl+C, as the console gives it.
constexpr UINT kEndedByControlC = 0xC000013A;
// The system ends the process about 5 s after a close, logoff or shutdown event, whatever
// the handler does; the wait stays inside that.
constexpr DWORD kLongestCloseWaitMs = 4500;
constexpr DWORD kCloseWaitSliceMs = 20;

BOOL WINAPI OnConsoleControl(DWORD event) {
  // Nothing to put back: the system's default handler ends the process.
  if (stopstate::guards.load() == 0) return FALSE;
  const bool interrupt = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
  stopstate::pendingSignal.store(interrupt ? SIGINT : SIGTERM);
  if (!interrupt) {
    // The process ends as soon as this handler returns from a close, logoff or shutdown
    // event: wait here (the handler has a thread of its own) until the engine has closed
    // the link and put the queues back, which ends the process itself.
    for (DWORD waited = 0; waited < kLongestCloseWaitMs && stopstate::guards.load() != 0;
         waited += kCloseWaitSliceMs) {
      Sleep(kCloseWaitSliceMs);
    }
  }
  return TRUE;
}
}  // namespace

void InstallStopSignals() {
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

void EndByStopSignal(int signal) {
  if (signal == 0) return;
  ExitProcess(kEndedByControlC);
}

}  // namespace platform
