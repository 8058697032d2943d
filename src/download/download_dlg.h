#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "download/download_observer.h"
#include "download/link_class.h"
#include "download/printer_socket.h"
#include "framework/dialog.h"
#include "platform/file_handle.h"
#include "platform/run_directory.h"
#include "platform/spooler.h"
#include "platform/stop_request.h"
#include "ports/port_io.h"
#include "ports/port_settings.h"
#include "ports/saved_printer_port.h"
#include "ui/skin_button.h"

// The program's one main window: it hosts a download from start to end. An interactive run
// guides the operator through its buttons; a silent run starts the download at once and
// closes the window when the download has ended.
class CDownloadDlg : public fw::Dialog {
 public:
  // The engine's timers, in the order a download uses them.
  enum : int {
    kTimerPortSend = 1,
    kTimerTcpSend = 2,
    kTimerWriteFailed = 3,
    kTimerSettle = 4,
    kTimerNotice = 5,
    kTimerEnd = 6,
  };
  static constexpr int kFullBar = 268;
  static constexpr int kSendBar = 240;
  static constexpr fw::Rect kBarRect{8, 200, 278, 210};

  CDownloadDlg();
  explicit CDownloadDlg(PortBackends portBackends);
  ~CDownloadDlg() override;

  // The silent job, written by the application's start step before the window runs.
  int silent = 0;
  int invalidParameters = 0;
  std::vector<uint8_t> imageBuffer;
  uint32_t bytesSent = 0;
  int blockSize = 4096;
  uint32_t imageLength = 0;
  int useSocket = 0;
  CPortIO portIO;
  CPrinterSocket socket;
  int32_t modelCode = 0;
  std::string modelName;
  std::string firmwarePath;
  int progress = 0;
  PortSettings port;
  std::map<std::string, std::unique_ptr<SavedPrinterPort>> savedPrinterPorts;
  CSkinButton configButton;
  CSkinButton selectButton;
  CSkinButton downloadButton;
  CSkinButton exitButton;
  std::string helpText;

  // Set when a download of this window failed: its start was refused or a write failed.
  // A silent run ends with exit code 2 then.
  int downloadFailed = 0;

  // Told how the download goes; none unless the owner installs one.
  DownloadObserver* observer = nullptr;

  // The engine.
  void StartDownload();
  // The start of an unattended download: HEX text of the two HEX models is converted
  // first, as the Download button does.
  void StartSilentDownload();
  void OnTimer(int id) override;

  // Firmware image checks of the two models with FPGA types.
  const char* CheckFirmwareCompatibility();
  int GetImageFpgaType(const std::vector<uint8_t>& image) const;
  static int IsPrinterFirmwareNewer(const uint8_t* reply);

  // Port driver files in the working directory for the length of a download.
  void WriteDriverFile();
  void DeleteDriverFile();

  // Converts the HEX or S-record file at `path` into the temporary image and points
  // `firmwarePath` at it. On failure `why`, when given, says what stopped it.
  int ConvertHexToFls(const std::string& path, std::string* why = nullptr);

  // Spooler queues that use the download's port are moved aside for the download.
  void RedirectSpoolerPrinters(const std::string& portName, const std::string& modelName);
  void RestoreSpoolerPrinters();
  // Renews this run's stamp in the notes of the queues it holds, every kRenewSeconds; the
  // engine calls it at each tick.
  void RenewQueueHolds();
  // Set by RedirectSpoolerPrinters when a queue's note had no room left to name this run:
  // the message the download's start fails with.
  std::string queueRefusal;
  // The spooler the window moves queues in; the system's unless one is handed in first.
  void SetSpooler(std::unique_ptr<platform::Spooler> other) { spooler = std::move(other); }

  bool OnInitDialog() override;
  void OnOK() override;
  void DoDataExchange(fw::DataExchange& dx) override;
  bool PreTranslateKey(int vk) override;
  void OnPaint(fw::PaintContext& dc) override;
  fw::CtlColor OnCtlColor(int id, const fw::CtlColor& defaults) override;
  void OnLButtonDown(fw::Point at) override;
  void OnSysCommand(unsigned command) override;

  void OnConfiguration();
  void OnSelectFile();
  void OnDownload();
  void DownloadHexFile();

  // A silent job's start step rehearsed for a dry run: converts a HEX file as the run
  // would, and takes the start's decisions in its order: the image's size, the port's
  // node (looked at: there, a device of the port's kind, open to this user) and line
  // settings, or the TCP port and the address looked up; then reads the image. Opens no
  // link, connects nowhere, writes no driver file, touches no queue. Answers the message
  // the start step would fail with ("" when nothing is in the way) and, in `reason`, why;
  // `device` gets the device (or "ADDRESS:PORT" over TCP), and imageLength the bytes that
  // would be sent.
  std::string RehearseSilentStart(std::string& device, std::string& reason);
  // The messages a start fails with when the file, the port or the connection is refused;
  // the dry run's rehearsal answers the same.
  static constexpr const char* kPortConfigurationError = "Port Configuration Set Error!";
  std::string FileOpenError() const;
  std::string PortOpenError() const;
  std::string SocketConnectError() const;
  // Where the link's bytes go: "ADDRESS:PORT" over TCP, else the device the port opens.
  std::string LinkTarget() const;
  // Whether a silent job converts the file first: a TQR-03 or TQR-04 file of HEX or
  // S-record text.
  bool ConvertsBeforeSending(const std::string& path) const;

 private:
  void SetHelpText(const char* text);
  void EnableButtons();
  // The last TCP piece went and the sending side is ended: the ticks now wait for the
  // printer's acknowledgement.
  bool tcpSendingEnded = false;
  // `reason` says why a port or file would not open, for standard error only.
  void FailStart(const std::string& text, const std::string& reason = std::string());
  // Puts back the queues a download over a local port or a device path parked.
  void RestoreParkedQueues();
  // Lets go of what a download holds: the image, the link, the driver file, the parked
  // queues and the stop guard.
  void ReleaseDownload();
  // A stop signal arrived during a download: lets go of everything, writes out the log
  // and ends the process by that signal.
  void InterruptDownload(int signal);
  void CloseLink();
  void MoveBar();
  void Report(const std::string& text);
  // 0 when the firmware file cannot be read; `reason` then says why. It reads the file the
  // memory check opened, at most what that check found room for.
  int LoadImage(std::string& reason);
  // Opens the firmware file and tells whether its image (with the header some models add)
  // fits in the memory the run may use; `reason` says why not. A file that cannot be opened
  // or sized is left for the load to report.
  bool ImageFitsInMemory(std::string& reason);
  // The firmware file, opened by name: from the run's private directory for a converted
  // image.
  platform::SysResult<platform::File> OpenImageFile() const;
  // `reason` for an image of `size` bytes that does not fit in `imageRoom`.
  std::string ImageDoesNotFit(uint64_t size) const;
  // The start step's refusals in its order, for an image already converted: the memory,
  // the link (looked at, never opened or connected) and the file. "" when none applies.
  std::string RehearseStart(std::string& reason);
  // The start step proper, and one tick of timer `id`; their callers turn what they throw
  // into the run's failure.
  void BeginDownload();
  void EngineStep(int id);

  platform::Spooler& SystemSpooler();
  std::unique_ptr<platform::Spooler> spooler;
  std::shared_ptr<const platform::PortMap> portMap;
  // When the held queues' notes were last renewed (CurrentClock milliseconds).
  uint64_t lastRenewalMs = 0;

  // Held from the start of a download to its end step.
  std::unique_ptr<platform::StopGuard> stopGuard;

  // Where the temporary image of a HEX conversion lives for this run.
  platform::RunDirectory tempDir;
  // The firmware file from the memory check to the load, so that the file sized is the file
  // read; and the memory the run could use then.
  platform::File imageFile;
  uint64_t imageRoom = 0;
};
