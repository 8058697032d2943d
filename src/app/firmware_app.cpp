#include "app/firmware_app.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "app/event_log.h"
#include "app/exit_codes.h"
#include "app/file_error.h"
#include "app/job_values.h"
#include "app/model_catalogue.h"
#include "app/run_recorder.h"
#include "app/terminal_progress.h"
#include "download/download_dlg.h"
#include "framework/dialog_colors.h"
#include "platform/file_handle.h"
#include "platform/file_system.h"
#include "platform/process_probe.h"
#include "platform/spooler.h"
#include "platform/standard_paths.h"
#include "platform/tcp_socket.h"
#include "platform/terminal.h"
#include "ports/queue_hold.h"

namespace {

constexpr const char* kSettingsFileName = "vrtqlx.ini";

constexpr const char* kNoInteractiveWindowText =
    "vrtqlx: no operator window can open here. For an unattended download start it as\n"
    "  vrtqlx -s [-m MODEL] [-p PORT] [-b BAUD] [-tcpport PORT] [-f FILE]\n"
    "or put a vrtqlx.ini into the working directory.\n";

constexpr const char* kNoWindowForScripts =
    "a script's options (--json, --dry-run, --quiet, --log) never open the operator's window";

// One text for the run and its dry run, so that a script matching it sees both.
std::string EmptyImageWarning(const std::string& path) {
  return "the firmware image " + path + " is empty: there is nothing to send";
}

}  // namespace

CFirmwareApp::CFirmwareApp(InteractiveWindow interactiveWindow)
    : interactiveWindow_(interactiveWindow) {}

CFirmwareApp::CFirmwareApp(InteractiveWindowOpener openInteractiveWindow)
    : interactiveWindow_(InteractiveWindow::kAvailable),
      openInteractiveWindow_(std::move(openInteractiveWindow)) {}

void CFirmwareApp::SetCommandLine(int argc, const char* const* argv) {
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) arguments.emplace_back(argv[i] ? argv[i] : "");
  SetCommandLine(std::move(arguments));
}

void CFirmwareApp::SetCommandLine(std::vector<std::string> arguments) {
  arguments_ = std::move(arguments);
}

bool CFirmwareApp::InitInstance() {
  // Queues that a run which died mid-download left paused are put back before anything
  // else, whatever this run turns out to be.
  const std::string lockProblem =
      ResumeQueuesOfEndedRuns(*platform::CreateSystemSpoolerIfRunning(), SystemHolderJudge());
  if (!lockProblem.empty()) {
    CEventLog::GetInstance()->Report(CEventLog::kSilent, CEventLog::kMessage, lockProblem);
  }

  // A failed start of the sockets is told once the run knows how it talks to its user; a
  // later Ethernet download then fails on its own.
  const auto socketFailure = platform::StartSockets();
  auto reportSocketFailure = [&](int silent) {
    if (!socketFailure) return;
    CEventLog::GetInstance()->Report(
        silent, CEventLog::kMessage,
        "Socket Init Error! : " + std::to_string(socketFailure->socketError) + ", " +
            std::to_string(socketFailure->systemError));
  };
  fw::SetDialogColors(fw::Rgb(255, 255, 255), fw::Rgb(80, 80, 80));

  // A current directory that cannot be read (removed under the process) leaves relative
  // names, which then simply find nothing.
  auto currentDir = platform::CurrentDirectory();
  workDir = currentDir ? currentDir.value() : ".";

  flags.modelGiven = 0;
  flags.portResolved = 0;
  flags.kindCom = 0;
  flags.kindLpt = 0;
  flags.kindUsb = 0;
  flags.kindNet = 0;

  CDownloadDlg mainWindow;
  modelName.clear();
  firmwareName.clear();

  const int outcome = DecideOutcome();
  CEventLog* log = CEventLog::GetInstance();
  if (outcome == 1) {
    reportSocketFailure(CEventLog::kSilent);
    modelCode = ModelCodeForName(modelName);
    if (flags.kindUsb == 1 && flags.portResolved == 0) {
      std::string path;
      FindConnectedUsbPrinter(modelName, path);
      if (path.empty()) {
        const std::string refusal = "Not connected Printer using usb<" + modelName + ">";
        log->Report(CEventLog::kSilent, CEventLog::kMessage, refusal);
        report_ = {"failed", 0, modelName, "USB", "", FirmwarePath(), 0, 0, 0, "", refusal, {}};
        SetExitCode(kSilentDownloadFailedExitCode);
        return false;
      }
      flags.portResolved = 1;
      port.portName = path;
    }
    mainWindow.silent = 1;
    mainWindow.modelCode = modelCode;
    mainWindow.modelName = modelName;
    mainWindow.firmwarePath = FirmwarePath();
    ApplyPortDefaults();
    mainWindow.port = port;
    report_.model = modelName;
    report_.port = flags.kindUsb ? "USB" : port.portName;
    report_.file = mainWindow.firmwarePath;
    WarnOfFileForAnotherModel();
    log->Report(CEventLog::kSilent, CEventLog::kNotice, "In silent mode");
    if (script_.dryRun) {
      DryRun(mainWindow);
    } else {
      RunSilentJob(mainWindow);
    }
  } else if (outcome == -1) {
    log->Report(CEventLog::kSilent, CEventLog::kMessage, "Invalid parameters", invalidReason);
    report_.outcome = "invalid parameters";
    report_.reason = WithReason("Invalid parameters", invalidReason);
    if (script_.dryRun) {
      SetExitCode(1);
    } else {
      mainWindow.silent = 0;
      mainWindow.invalidParameters = 1;
      mainWindow.DoModal();
    }
  } else if (script_.dryRun) {
    if (!unsettled.empty()) report_.reason = "-s cannot settle the job: " + unsettled;
    ExplainUnsettledJob(true);
    report_.outcome = "interactive";
    if (!script_.json)
      platform::WriteText(platform::kStandardOutput, "vrtqlx: would open the operator's window\n");
  } else {
    mainWindow.silent = 0;
    // A script's option marks a caller that cannot answer a window: it is told why, at once.
    if (script_.Any() || interactiveWindow_ == InteractiveWindow::kUnavailable ||
        (openInteractiveWindow_ && !openInteractiveWindow_())) {
      ExplainUnsettledJob(false);
      report_.outcome = "no window";
      if (!unsettled.empty()) {
        report_.reason = "-s cannot settle the job: " + unsettled;
      } else if (script_.Any()) {
        report_.reason = std::string("no ") + kSettingsFileName + " in " + workDir + " and no -s";
      }
      SetExitCode(kNoInteractiveWindowExitCode);
    } else {
      ExplainUnsettledJob(true);
      report_.outcome = "interactive";
      reportSocketFailure(CEventLog::kInteractive);
      mainWindow.DoModal();
    }
  }
  return false;
}

void CFirmwareApp::RunSilentJob(CDownloadDlg& window) {
  CEventLog* log = CEventLog::GetInstance();
  std::unique_ptr<TerminalProgress> progressLine;
  if (!script_.quiet) progressLine = TerminalProgress::ForStandardError();
  RunRecorder recorder(progressLine.get());
  window.observer = &recorder;
  if (progressLine) log->SetBeforeEcho([line = progressLine.get()] { line->EndLine(); });
  window.DoModal();
  log->SetBeforeEcho(nullptr);
  if (progressLine) progressLine->Finish(window.downloadFailed != 0, recorder.Seconds());
  if (window.downloadFailed) SetExitCode(kSilentDownloadFailedExitCode);
  if (!window.downloadFailed && recorder.total == 0) {
    Warn(EmptyImageWarning(window.firmwarePath));
  }
  report_.outcome = window.downloadFailed ? "failed" : "downloaded";
  report_.bytesSent = recorder.sent;
  report_.bytesTotal = recorder.total;
  report_.seconds = recorder.Seconds();
  report_.target = window.LinkTarget();
  if (window.downloadFailed) {
    report_.reason = WithReason(log->LastMessage(), log->LastReason());
  }
}

void CFirmwareApp::DryRun(CDownloadDlg& window) {
  std::string device;
  std::string reason;
  const std::string refusal = window.RehearseSilentStart(device, reason);
  report_.target = device;
  report_.bytesTotal = window.imageLength;
  if (!refusal.empty()) {
    CEventLog::GetInstance()->Report(CEventLog::kSilent, CEventLog::kMessage, refusal, reason);
    report_.outcome = "failed";
    report_.reason = WithReason(refusal, reason);
    SetExitCode(kSilentDownloadFailedExitCode);
    return;
  }
  report_.outcome = "would download";
  if (window.imageLength == 0) {
    Warn(EmptyImageWarning(window.firmwarePath));
  }
  if (script_.json) return;
  const std::string converted =
      window.ConvertsBeforeSending(window.firmwarePath) ? ", converted from HEX text," : "";
  const std::string answer = "would download " + window.firmwarePath + converted + " (" +
                             std::to_string(window.imageLength) + " bytes) into a " + modelName +
                             " over " + port.portName + " (" + device + ")";
  platform::WriteText(platform::kStandardOutput, "vrtqlx: " + EscapeControls(answer) + "\n");
}

int CFirmwareApp::ExitInstance() {
  CEventLog* log = CEventLog::GetInstance();
  report_.warnings = log->Warnings();
  // A dry run changes nothing, the log included: its lines were on standard error.
  if (script_.dryRun) return fw::Application::ExitInstance();
  log->Flush();
  report_.logFile = log->LogFilePath();
  const bool failed = ExitCode() != 0 && report_.outcome != "no window";
  if (failed && !report_.logFile.empty() && !script_.quiet) {
    platform::WriteText(platform::kStandardError,
                        "vrtqlx: the log is " + EscapeControls(report_.logFile) + "\n");
  }
  return fw::Application::ExitInstance();
}

int CFirmwareApp::Refuse(std::string why) {
  invalidReason = std::move(why);
  return -1;
}

void CFirmwareApp::Warn(const std::string& text) const {
  CEventLog::GetInstance()->Warn(text);
}

void CFirmwareApp::WarnOfUnknownModel() const {
  if (ModelCodeForName(modelName) != ModelCodeForName("TQR-03") || modelName == "TQR-03") return;
  Warn("model " + ShownValue(modelName) + " is not in the catalogue: it is downloaded as a TQR-03");
}

void CFirmwareApp::WarnOfFileForAnotherModel() const {
  const size_t folderEnd = firmwareName.find_last_of("/\\");
  const std::string file =
      folderEnd == std::string::npos ? firmwareName : firmwareName.substr(folderEnd + 1);
  const std::string named = ModelOfFile(file);
  if (named == modelName) return;
  const auto& catalogue = ModelCatalogue();
  if (std::none_of(catalogue.begin(), catalogue.end(),
                   [&](const ModelEntry& row) { return row.name == named; })) {
    return;
  }
  Warn("the firmware file " + ShownValue(file) + " names the model " + named + ", not " +
       ShownValue(modelName));
}

std::string CFirmwareApp::JobSummary() const {
  std::string summary = "port " + (flags.kindUsb && !flags.portResolved ? "USB" : port.portName);
  if (flags.kindNet) summary += " (TCP port " + std::to_string(port.baudRate) + ")";
  if (!modelName.empty()) summary += ", model " + modelName;
  if (!firmwareName.empty()) summary += ", file " + firmwareName;
  return summary;
}

void CFirmwareApp::ExplainUnsettledJob(bool windowOpens) const {
  const bool silentAsked = SilentAsked();
  if (!silentAsked && script_.Any()) {
    platform::WriteText(platform::kStandardError,
                        std::string("vrtqlx: no unattended job: no ") + kSettingsFileName + " in " +
                            EscapeControls(workDir) + " and no -s; " + kNoWindowForScripts + "\n");
    return;
  }
  if (!silentAsked) {
    if (!windowOpens) platform::WriteText(platform::kStandardError, kNoInteractiveWindowText);
    return;
  }
  // The caller asked for an unattended run: say why it is not one.
  platform::WriteText(
      platform::kStandardError,
      "vrtqlx: -s cannot settle the job: " + EscapeControls(unsettled) + "; " +
          (windowOpens     ? "the operator's window opens to choose"
           : script_.Any() ? kNoWindowForScripts
                           : "no operator window can open here to choose (name -m and -f)") +
          "\n");
}

int CFirmwareApp::DecideOutcome() {
  const std::string settingsPath = platform::JoinPath(workDir, kSettingsFileName);
  try {
    if (FileExists(settingsPath)) {
      // A settings file another user could have put or changed would steer this run (as root,
      // send any file it can read anywhere): it is not used, and the caller is told. The file
      // checked is the file read: one that cannot be opened is left for the reading to report.
      auto settings = platform::File::OpenReadOnly(settingsPath);
      const std::string why =
          settings ? settings.value().WhyNotTrusted(platform::FileTrust::kOwnerAndWriters) : "";
      if (!why.empty()) {
        const std::string refusal =
            std::string(kSettingsFileName) + " in " + workDir + " " + why + ": not used";
        if (!SilentAsked()) return Refuse(refusal);
        Warn(refusal);
        return ParseCommandLine();
      }
      const int outcome = LoadSettingsFile(settingsPath, settings);
      // A settings file left in the working directory overrides whatever the caller typed:
      // say so, and what it targets.
      if (arguments_.size() > 1) {
        Warn("the settings file " + settingsPath + " takes precedence over the command line" +
             (outcome == 1 ? ": " + JobSummary() : std::string()));
      }
      return outcome;
    }
  } catch (const FileError&) {
    // The settings file is there, so a silent job was asked for, but it cannot be opened:
    // the job's parameters are unusable.
    invalidReason = settingsPath + " cannot be opened";
    return -1;
  }
  return ParseCommandLine();
}

int CFirmwareApp::ApplyPortDefaults() {
  if (flags.kindCom == 1) {
    port.dataBits = 8;
    port.stopBits = 0;
    port.parity = 0;
    port.flowControl = 0;
  }
  port.timeouts = {10, 10, 10, 0, 0};
  port.rxBufferSize = 8192;
  port.reserved = {4096, 1, 0, 3000, 0, 0};
  return (flags.kindCom || flags.kindLpt || flags.kindUsb || flags.kindNet) ? 1 : 0;
}

std::string CFirmwareApp::FirmwarePath() const {
  if (platform::IsAbsolutePath(firmwareName)) return firmwareName;
  return platform::JoinPath(workDir, firmwareName);
}
