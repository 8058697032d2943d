#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/run_flags.h"
#include "app/run_mode.h"
#include "app/run_report.h"
#include "app/script_options.h"
#include "framework/application.h"
#include "platform/file_handle.h"
#include "ports/port_settings.h"

// The application object: decides how the program runs (interactive, silent from the
// settings file, silent from the command line, or refused for invalid parameters),
// prepares the silent job, runs the main window, and writes out the event log at the end.
class CFirmwareApp : public fw::Application {
 public:
  explicit CFirmwareApp(InteractiveWindow interactiveWindow = InteractiveWindow::kAvailable);
  explicit CFirmwareApp(InteractiveWindowOpener openInteractiveWindow);

  // The argument vector as the runtime hands it over; index 0 is the program.
  void SetCommandLine(int argc, const char* const* argv);
  void SetCommandLine(std::vector<std::string> arguments);
  // The program's own options a script gave before the command line.
  void SetScriptOptions(ScriptOptions options) { script_ = std::move(options); }
  // What the run did, for --json (its exit code is the caller's to fill in).
  const RunReport& Outcome() const { return report_; }

  bool InitInstance() override;
  int ExitInstance() override;

  // Line settings of a silent job; 1 when any port kind is set.
  int ApplyPortDefaults();
  // The device path of the first connected USB printer of the job's model; `path` is left
  // empty when there is none.
  void FindConnectedUsbPrinter(const std::string& modelName, std::string& path);

  // 1 silent job ready, -1 invalid parameters, 0 interactive.
  int ParseCommandLine();
  // 1 silent job ready, -1 invalid parameters.
  // Reads the job from `file`, opened from `path` (which names it in messages).
  int LoadSettingsFile(const std::string& path, platform::SysResult<platform::File>& file);

  // 1 when `path` can be opened for reading, 0 when the file does not exist; throws
  // FileError for any other failure.
  int FileExists(const std::string& path);
  int IsDotEntry(const std::string& name);
  // Model and file from the only firmware file of `workDir`.
  int FindAnyFirmware();
  // The newest firmware file of `modelName` in `workDir`, by the date stamp in its name.
  int FindFirmwareForModel();

  // Where the silent job's firmware is: `firmwareName` below `workDir`, or the name itself
  // when it is an absolute path.
  std::string FirmwarePath() const;

  int32_t modelCode = 0;
  std::string modelName;
  PortSettings port;
  std::string firmwareName;
  std::string workDir;
  RunFlags flags;
  // Why the job's parameters are invalid, and why "-s" could not settle its model or file.
  std::string invalidReason;
  std::string unsettled;

 private:
  // The outcome of the settings file when there is one, else of the command line.
  int DecideOutcome();
  // Records why the parameters are invalid; answers -1.
  int Refuse(std::string why);
  // A warning to the caller: on standard error, even with --quiet, and in --json.
  void Warn(const std::string& text) const;
  void WarnOfUnknownModel() const;
  // A firmware file whose name begins with another model's name ("TQR-23_...") is most
  // likely not meant for this printer.
  void WarnOfFileForAnotherModel() const;
  // What the job targets, for the notices and the dry run: "COM4, model TQR-23, file x".
  std::string JobSummary() const;
  // Runs the silent job in `window`, or rehearses it for --dry-run; fills the report.
  void RunSilentJob(class CDownloadDlg& window);
  void DryRun(class CDownloadDlg& window);
  // Why an interactive start cannot be what a caller of "-s" wanted.
  void ExplainUnsettledJob(bool windowOpens) const;
  // Whether the command line starts with -s: the caller asked for an unattended run.
  bool SilentAsked() const { return arguments_.size() > 1 && arguments_[1] == "-s"; }

  ScriptOptions script_;
  RunReport report_;
  InteractiveWindow interactiveWindow_;
  InteractiveWindowOpener openInteractiveWindow_;
  std::vector<std::string> arguments_;
};
