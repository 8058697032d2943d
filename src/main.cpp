#include <memory>
#include <string>
#include <vector>

#include "app/event_log.h"
#include "app/exit_codes.h"
#include "app/firmware_app.h"
#include "app/run_report.h"
#include "app/script_options.h"
#include "app/station_listing.h"
#include "app/usage.h"
#include "framework/window_system.h"
#include "platform/standard_streams.h"
#include "platform/stop_request.h"
#include "platform/system_log.h"
#include "platform/terminal.h"

int main(int argc, char** argv) {
  platform::PrepareStandardStreams();
  std::vector<std::string> arguments(argv, argv + argc);
  // Help and version come before everything else: no window, no settings file, no log.
  if (AnswerInformationRequest(arguments)) return 0;
  std::string error;
  auto script = TakeScriptOptions(arguments, error);
  if (!script) {
    platform::WriteText(platform::kStandardError, "vrtqlx: " + EscapeControls(error) +
                                                      " (vrtqlx --help lists the options)\n");
    return 1;
  }
  // A listing runs no job: no settings file, no window, no log, no queue touched.
  if (script->list) return RunStationListing(script->json, arguments);
  if (!script->logFile.empty()) CEventLog::GetInstance()->SetLogFile(script->logFile);
  // Opened only when the run turns out to be interactive, and kept until the end.
  std::unique_ptr<fw::WindowSystem> windowSystem;
  CFirmwareApp app([&] {
    windowSystem = fw::OpenWindowSystem(argc, argv, kNoInteractiveWindowExitCode);
    return windowSystem != nullptr;
  });
  app.SetCommandLine(std::move(arguments));
  const bool json = script->json;
  const bool dryRun = script->dryRun;
  app.SetScriptOptions(std::move(*script));
  platform::InstallStopSignals();
  const int exitCode = app.Run();
  RunReport report = app.Outcome();
  report.exitCode = exitCode;
  MarkStoppedRun(report, platform::PendingStopSignal());
  if (json) {
    platform::WriteText(platform::kStandardOutput, RunReportJson(report) + "\n");
  }
  // A dry run changes nothing and leaves no trace; every other run is audited.
  if (!dryRun) platform::RecordRunInSystemLog(exitCode != 0, RunReportLine(report));
  // A run that a stop signal cut short has put everything back and written its log; it
  // ends by that signal, as its caller expects.
  platform::EndByStopSignal(platform::PendingStopSignal());
  return exitCode;
}
