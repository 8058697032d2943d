#include <algorithm>
#include <limits>
#include <new>

#include "app/event_log.h"
#include "download/download_dlg.h"
#include "download/model_rules.h"
#include "platform/memory_room.h"
#include "platform/stop_request.h"
#include "ports/port_open_failure.h"
#include "res/resource_ids.h"
#include "ui/notice_dlg.h"

namespace {
// The header every TQB-18 image starts with.
constexpr uint8_t kImageHeader[6] = {0x08, 0x23, 0x6D, 0x74, 0x6D, 0x73};
// Bytes handed to the connection per tick of a TCP send.
constexpr uint32_t kTcpPieceBytes = 64 * 1024;

// Why an exception ended a step of the engine, for standard error and a script's report.
std::string DescribeException(const std::exception& e) {
  if (dynamic_cast<const std::bad_alloc*>(&e)) return "not enough memory";
  return e.what();
}

}  // namespace

platform::SysResult<platform::File> CDownloadDlg::OpenImageFile() const {
  // The image of a HEX conversion is read through the run's open private directory, never
  // through its name, which another user may have pointed elsewhere meanwhile.
  return tempDir.Holds(firmwarePath) ? tempDir.OpenFile(firmwarePath)
                                     : platform::File::OpenReadOnly(firmwarePath);
}

bool CDownloadDlg::ImageFitsInMemory(std::string& reason) {
  const uint64_t extra = NeedsImageHeader(modelCode) ? sizeof kImageHeader : 0;
  auto file = OpenImageFile();
  imageFile = file ? std::move(file.value()) : platform::File();
  const uint64_t room = platform::MemoryRoom();
  imageRoom = room > extra ? room - extra : 0;
  if (!imageFile.IsOpen()) return true;
  const auto size = imageFile.Size();
  if (!size || size.value() <= imageRoom) return true;
  imageFile = platform::File();
  reason = ImageDoesNotFit(size.value());
  return false;
}

std::string CDownloadDlg::ImageDoesNotFit(uint64_t size) const {
  const uint64_t extra = NeedsImageHeader(modelCode) ? sizeof kImageHeader : 0;
  return "the file's " + std::to_string(size) +
         " bytes do not fit in the memory this run may use (" + std::to_string(imageRoom + extra) +
         " bytes)";
}

std::string CDownloadDlg::FileOpenError() const {
  return "File Open Error. filename=" + firmwarePath;
}

std::string CDownloadDlg::PortOpenError() const {
  return "Port Open Error. Port=" + port.portName;
}

std::string CDownloadDlg::SocketConnectError() const {
  return "Socket Connect Error! ip=" + port.portName + ", tcpport=" + std::to_string(port.baudRate);
}

void CDownloadDlg::StartDownload() {
  // An allocation that fails, or anything else thrown, ends the start as a file that could
  // not be loaded: the link closes and the queues go back as after any refused start.
  try {
    BeginDownload();
  } catch (const std::exception& e) {
    CloseLink();
    std::vector<uint8_t>().swap(imageBuffer);
    FailStart(FileOpenError(), DescribeException(e));
  }
}

void CDownloadDlg::BeginDownload() {
  // From here until the end step a stop signal is only recorded; the engine's next tick
  // puts everything back before the process ends.
  stopGuard = std::make_unique<platform::StopGuard>();
  useSocket = 0;
  WriteDriverFile();
  progress = 0;
  InvalidateAll(true);
  UpdateWindow();

  // An image that cannot fit in memory is refused before any queue is paused for it.
  if (std::string reason; !ImageFitsInMemory(reason)) return FailStart(FileOpenError(), reason);

  const LinkClass link = ClassifyLink(port.portName);
  if (link == LinkClass::LocalPort) {
    RedirectSpoolerPrinters(port.portName, "");
  } else if (link == LinkClass::DevicePath) {
    RedirectSpoolerPrinters(port.portName, modelName);
  }
  // A stop asked for while queues were being paused ends the run before the link opens.
  if (const int signal = platform::PendingStopSignal(); signal != 0) {
    return InterruptDownload(signal);
  }
  if (!queueRefusal.empty()) return FailStart(queueRefusal);

  switch (link) {
    case LinkClass::LocalPort:
      blockSize = 4096;
      break;
    case LinkClass::DevicePath:
      blockSize = DevicePathBlockSize(modelCode);
      break;
    case LinkClass::Network:
      useSocket = 1;
      if (!socket.Create()) return FailStart("Failed Port Creation!");
      break;
  }

  if (useSocket) {
    if (!socket.Connect(port.portName, port.baudRate)) {
      socket.Detach();
      // A connect given up for a stop request ends the run as an interrupted download.
      if (const int signal = platform::PendingStopSignal(); signal != 0)
        return InterruptDownload(signal);
      return FailStart(SocketConnectError(), socket.LastFailure());
    }
  } else {
    if (!portIO.Configure(port)) return FailStart(kPortConfigurationError);
    if (!portIO.Open(0)) {
      return FailStart(PortOpenError(), DescribePortOpenFailure(portIO.LastOpenFailure()));
    }
  }

  if (std::string reason; !LoadImage(reason)) {
    CloseLink();
    return FailStart(FileOpenError(), reason);
  }

  if (!useSocket && NeedsCompatibilityCheck(modelCode)) {
    if (const char* refusal = CheckFirmwareCompatibility()) {
      CloseLink();
      std::vector<uint8_t>().swap(imageBuffer);
      return FailStart(refusal);
    }
  }
  if (observer) observer->OnSending(0, imageLength);
  SetTimer(useSocket ? kTimerTcpSend : kTimerPortSend, 10);
}

int CDownloadDlg::LoadImage(std::string& reason) {
  // The image length is a 32-bit count that must still hold the header some models add.
  constexpr uint64_t kLargestImage = std::numeric_limits<uint32_t>::max() - sizeof kImageHeader;
  platform::File image = std::move(imageFile);
  if (!image.IsOpen()) {
    auto opened = OpenImageFile();
    if (!opened) {
      reason = DescribeOpenFailure(firmwarePath,
                                   platform::SysStatus::Fail(opened.call(), opened.error()));
      return 0;
    }
    image = std::move(opened.value());
  }
  // A file that grew since the memory check is held to what the check found room for.
  auto file = image.ReadAllBytes(std::min(kLargestImage, imageRoom));
  if (!file) {
    const auto size = image.Size();
    reason = file.error() == EFBIG && size && size.value() > imageRoom
                 ? ImageDoesNotFit(size.value())
                 : DescribeOpenFailure(firmwarePath,
                                       platform::SysStatus::Fail(file.call(), file.error()));
    return 0;
  }
  imageBuffer = std::move(file.value());
  if (NeedsImageHeader(modelCode) &&
      !(imageBuffer.size() >= sizeof kImageHeader &&
        std::equal(kImageHeader, kImageHeader + sizeof kImageHeader, imageBuffer.begin()))) {
    imageBuffer.insert(imageBuffer.begin(), kImageHeader, kImageHeader + sizeof kImageHeader);
  }
  imageLength = static_cast<uint32_t>(imageBuffer.size());
  return 1;
}

void CDownloadDlg::FailStart(const std::string& text, const std::string& reason) {
  downloadFailed = 1;
  imageFile = platform::File();
  CEventLog::GetInstance()->Report(silent, CEventLog::kMessage, text, reason);
  EnableButtons();
  // Queues parked for a download that never began go back at once.
  RestoreParkedQueues();
  stopGuard.reset();
  // A start cut short by a stop signal ends the run as an interrupted download does.
  if (const int signal = platform::PendingStopSignal(); signal != 0)
    return InterruptDownload(signal);
  if (silent) {
    // An unattended run has nobody to try again: it ends here, leaving nothing behind.
    DeleteDriverFile();
    PostClose();
  }
}

void CDownloadDlg::CloseLink() {
  if (useSocket) {
    socket.Close();
  } else {
    portIO.Close();
  }
}

void CDownloadDlg::MoveBar() {
  Invalidate(kBarRect, true);
  UpdateWindow();
}

void CDownloadDlg::RestoreParkedQueues() {
  const LinkClass link = ClassifyLink(port.portName);
  if (link == LinkClass::LocalPort || link == LinkClass::DevicePath) RestoreSpoolerPrinters();
}

void CDownloadDlg::ReleaseDownload() {
  std::vector<uint8_t>().swap(imageBuffer);
  bytesSent = 0;
  tcpSendingEnded = false;
  CloseLink();
  DeleteDriverFile();
  RestoreParkedQueues();
  stopGuard.reset();
}

void CDownloadDlg::InterruptDownload(int signal) {
  for (int id = kTimerPortSend; id <= kTimerEnd; ++id) KillTimer(id);
  ReleaseDownload();
  // The process ends by the signal below: nothing of the run may stay in the temporary
  // directory.
  tempDir.Remove();
  if (silent) Report("Download interrupted");
  CEventLog::GetInstance()->Flush();
  platform::EndByStopSignal(signal);
}

void CDownloadDlg::OnTimer(int id) {
  if (id < kTimerPortSend || id > kTimerEnd) return fw::Dialog::OnTimer(id);
  KillTimer(id);
  if (const int signal = platform::PendingStopSignal(); signal != 0 && stopGuard) {
    return InterruptDownload(signal);
  }
  RenewQueueHolds();
  // Anything thrown by a step (an allocation that failed) fails the write, and the end
  // step puts everything back; one thrown by the end step itself still ends the run.
  try {
    EngineStep(id);
  } catch (const std::exception& e) {
    for (int timer = kTimerPortSend; timer <= kTimerEnd; ++timer) KillTimer(timer);
    downloadFailed = 1;
    if (id == kTimerEnd) {
      CEventLog::GetInstance()->Report(silent, CEventLog::kMessage, "Write Failed!",
                                       DescribeException(e));
      if (silent) PostClose();
      return;
    }
    if (observer) observer->OnEnded();
    CEventLog::GetInstance()->Report(silent, CEventLog::kMessage, "Write Failed!",
                                     DescribeException(e));
    SetTimer(kTimerEnd, 10);
  }
}

void CDownloadDlg::EngineStep(int id) {
  switch (id) {
    case kTimerPortSend: {
      const uint32_t remaining = imageLength - bytesSent;
      // Never hand the port a null pointer, even for an empty image.
      static const uint8_t kNothing = 0;
      const uint8_t* next = imageBuffer.empty() ? &kNothing : imageBuffer.data() + bytesSent;
      if (remaining <= static_cast<uint32_t>(blockSize)) {
        const int written = portIO.Write(next, static_cast<int>(remaining));
        if (static_cast<uint32_t>(written) != remaining) {
          if (written > 0) bytesSent += static_cast<uint32_t>(written);
          SetTimer(kTimerWriteFailed, 10);
        } else {
          bytesSent = imageLength;
          if (observer) observer->OnSending(bytesSent, imageLength);
          SetTimer(kTimerSettle, 10);
        }
      } else {
        const int written = portIO.Write(next, blockSize);
        if (written != blockSize) {
          if (written > 0) bytesSent += static_cast<uint32_t>(written);
          SetTimer(kTimerWriteFailed, 10);
        } else {
          bytesSent += static_cast<uint32_t>(blockSize);
          progress = static_cast<int>(uint64_t{bytesSent} * kSendBar / imageLength);
          MoveBar();
          if (observer) observer->OnSending(bytesSent, imageLength);
          SetTimer(kTimerPortSend, blockSize == 64 ? 0 : 10);
        }
      }
      break;
    }
    case kTimerTcpSend: {
      if (!tcpSendingEnded) {
        // One piece per tick, so the bar moves and a stop is seen between pieces; the bar
        // fills towards the model's mark for a finished TCP send.
        const uint32_t piece = std::min(imageLength - bytesSent, kTcpPieceBytes);
        if (piece > 0 && socket.Send(imageBuffer.data() + bytesSent, piece) != piece) {
          SetTimer(kTimerWriteFailed, 10);
          break;
        }
        bytesSent += piece;
        if (bytesSent < imageLength) {
          progress = static_cast<int>(uint64_t{bytesSent} *
                                      static_cast<unsigned>(ProgressAfterTcpSend(modelCode)) /
                                      imageLength);
          MoveBar();
          if (observer) observer->OnSending(bytesSent, imageLength);
          SetTimer(kTimerTcpSend, 0);
          break;
        }
        if (!socket.EndSending()) {
          SetTimer(kTimerWriteFailed, 10);
          break;
        }
        tcpSendingEnded = true;
      }
      // Done only once the printer took every byte, not when they sit in a local buffer.
      // One short look per tick: the window paints and a stop is seen while the printer
      // takes the tail.
      if (const int delivered = socket.CheckDelivered(); delivered <= 0) {
        if (delivered < 0) {
          SetTimer(kTimerWriteFailed, 10);
        } else {
          SetTimer(kTimerTcpSend, 0);
        }
        break;
      }
      progress = ProgressAfterTcpSend(modelCode);
      MoveBar();
      if (observer) observer->OnSending(imageLength, imageLength);
      SetTimer(kTimerSettle, 10);
      break;
    }
    case kTimerWriteFailed: {
      SetTimer(kTimerEnd, 10);
      downloadFailed = 1;
      // How far it got is what the printer is known to have taken: over TCP what its stack
      // acknowledged, not what went into the local buffer. The progress line, the reason and
      // a script's report all give this one figure.
      const uint64_t taken =
          useSocket ? std::min<uint64_t>(socket.BytesAcknowledged(), imageLength) : bytesSent;
      if (observer) {
        observer->OnSending(taken, imageLength);
        observer->OnEnded();
      }
      // The log line stays as it is; a caller at a terminal also learns why and how far.
      std::string reason = useSocket ? socket.LastFailure() : std::string();
      if (!reason.empty()) reason += "; ";
      reason += std::to_string(taken) + " of " + std::to_string(imageLength) + " bytes sent";
      CEventLog::GetInstance()->Report(silent, CEventLog::kMessage, "Write Failed!", reason);
      break;
    }
    case kTimerSettle:
      ++progress;
      MoveBar();
      if (observer) {
        const int ticksLeft = progress >= kFullBar ? 0 : kFullBar - progress;
        observer->OnWaitingForPrinter(
            imageLength, uint64_t{static_cast<unsigned>(ticksLeft)} * SettleTickMs(modelCode));
      }
      if (progress >= kFullBar) {
        SetTimer(kTimerNotice, 10);
      } else {
        SetTimer(kTimerSettle, SettleTickMs(modelCode));
      }
      break;
    case kTimerNotice:
      SetTimer(kTimerEnd, 10);
      if (!silent) {
        if (NoticeIsTextMessage(modelCode)) {
          Report("Do not turn off the printer until the self-test page is printed automatically.");
        } else {
          CNoticeDlg notice;
          notice.DoModal();
        }
      }
      break;
    case kTimerEnd: {
      EnableButtons();
      ReleaseDownload();
      SetHelpText("HELP : Finished firmware download.");
      if (observer) observer->OnEnded();
      if (silent) PostClose();
      break;
    }
  }
}
