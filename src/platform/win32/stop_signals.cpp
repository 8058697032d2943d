#include <windows.h>

#include <csignal>

#include "platform/stop_request.h"
#include "platform/stop_state.h"

namespace platform {

namespace {
// The exit status of a process ended by Ctrl+C, as the console gives it.
constexpr UINT kEndedByControlC = 0xC000013A;

BOOL WINAPI OnConsoleControl(DWORD event) {
  // Nothing to put back: the system's default handler ends the process.
  if (stopstate::guards.load() == 0) return FALSE;
  stopstate::pendingSignal.store(event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? SIGINT
                                                                                    : SIGTERM);
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
