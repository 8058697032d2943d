#include "app/firmware_app.h"

#include <cstdio>
#include <memory>
#include <utility>

#include "app/event_log.h"
#include "app/exit_codes.h"
#include "app/file_error.h"
#include "app/model_catalogue.h"
#include "app/terminal_progress.h"
#include "download/download_dlg.h"
#include "framework/dialog_colors.h"
#include "platform/file_system.h"
#include "platform/process_probe.h"
#include "platform/queue_note_lock.h"
#include "platform/spooler.h"
#include "platform/standard_paths.h"
#include "platform/tcp_socket.h"
#include "ports/queue_hold.h"

namespace {

constexpr const char* kSettingsFileName = "vrtqlx.ini";

constexpr const char* kNoInteractiveWindowText =
    "vrtqlx: no operator window can open here. For an unattended download start it as\n"
    "  vrtqlx -s [-m MODEL] [-p PORT] [-b BAUD] [-tcpport PORT] [-f FILE]\n"
    "or put a vrtqlx.ini into the working directory.\n";

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
  {
    const auto spooler = platform::CreateSystemSpoolerIfRunning();
    const platform::QueueNoteLock lock;
    ResumeQueuesOfEndedRuns(*spooler, platform::IsRunningInstance);
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
        log->Report(CEventLog::kSilent, CEventLog::kMessage,
                    "Not connected Printer using usb<" + modelName + ">");
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
    log->Report(CEventLog::kSilent, CEventLog::kNotice, "In silent mode");
    const std::unique_ptr<TerminalProgress> progressLine = TerminalProgress::ForStandardError();
    if (progressLine) {
      mainWindow.observer = progressLine.get();
      log->SetBeforeEcho([line = progressLine.get()] { line->EndLine(); });
    }
    mainWindow.DoModal();
    log->SetBeforeEcho(nullptr);
    if (mainWindow.downloadFailed) SetExitCode(kSilentDownloadFailedExitCode);
  } else if (outcome == -1) {
    log->Report(CEventLog::kSilent, CEventLog::kMessage, "Invalid parameters");
    mainWindow.silent = 0;
    mainWindow.invalidParameters = 1;
    mainWindow.DoModal();
  } else {
    mainWindow.silent = 0;
    if (interactiveWindow_ == InteractiveWindow::kUnavailable ||
        (openInteractiveWindow_ && !openInteractiveWindow_())) {
      std::fputs(kNoInteractiveWindowText, stderr);
      SetExitCode(kNoInteractiveWindowExitCode);
    } else {
      reportSocketFailure(CEventLog::kInteractive);
      mainWindow.DoModal();
    }
  }
  return false;
}

int CFirmwareApp::ExitInstance() {
  CEventLog::GetInstance()->Flush();
  return fw::Application::ExitInstance();
}

int CFirmwareApp::DecideOutcome() {
  const std::string settingsPath = platform::JoinPath(workDir, kSettingsFileName);
  try {
    if (FileExists(settingsPath)) return LoadSettingsFile(settingsPath);
  } catch (const FileError&) {
    // The settings file is there, so a silent job was asked for, but it cannot be opened:
    // the job's parameters are unusable.
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
