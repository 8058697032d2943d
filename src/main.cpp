#include <memory>
#include <string>
#include <vector>

#include "app/exit_codes.h"
#include "app/firmware_app.h"
#include "app/usage.h"
#include "framework/window_system.h"
#include "platform/console_attach.h"
#include "platform/stop_request.h"

int main(int argc, char** argv) {
  platform::AttachToCallersConsole();
  // Help and version come before everything else: no window, no settings file, no log.
  if (AnswerInformationRequest(std::vector<std::string>(argv, argv + argc))) return 0;
  // Opened only when the run turns out to be interactive, and kept until the end.
  std::unique_ptr<fw::WindowSystem> windowSystem;
  CFirmwareApp app([&] {
    windowSystem = fw::OpenWindowSystem(argc, argv, kNoInteractiveWindowExitCode);
    return windowSystem != nullptr;
  });
  app.SetCommandLine(argc, argv);
  platform::InstallStopSignals();
  const int exitCode = app.Run();
  // A run that a stop signal cut short has put everything back and written its log; it
  // ends by that signal, as its caller expects.
  platform::EndByStopSignal(platform::PendingStopSignal());
  return exitCode;
}
