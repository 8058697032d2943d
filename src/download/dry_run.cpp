#include "download/download_dlg.h"
#include "download/link_class.h"
#include "ports/port_open_failure.h"

std::string CDownloadDlg::RehearseSilentStart(std::string& device, std::string& reason) {
  const std::string operatorFile = firmwarePath;
  if (ConvertsBeforeSending(firmwarePath) && !ConvertHexToFls(firmwarePath, &reason)) {
    firmwarePath = operatorFile;
    return "Failed File Loading!!";
  }
  const std::string refusal = RehearseStart(reason);
  firmwarePath = operatorFile;
  imageFile = platform::File();
  std::vector<uint8_t>().swap(imageBuffer);
  if (refusal.empty()) device = LinkTarget();
  return refusal;
}

std::string CDownloadDlg::RehearseStart(std::string& reason) {
  if (!ImageFitsInMemory(reason)) return FileOpenError();
  if (ClassifyLink(port.portName) == LinkClass::Network) {
    if (!socket.CheckDestination(port.portName, port.baudRate)) {
      reason = socket.LastFailure();
      return SocketConnectError();
    }
  } else {
    if (!portIO.Configure(port)) return kPortConfigurationError;
    if (!portIO.RehearseOpen()) {
      reason = DescribePortOpenFailure(portIO.LastOpenFailure());
      return PortOpenError();
    }
  }
  if (!LoadImage(reason)) return FileOpenError();
  reason.clear();
  return std::string();
}

std::string CDownloadDlg::LinkTarget() const {
  if (ClassifyLink(port.portName) == LinkClass::Network) {
    return port.portName + ":" + std::to_string(port.baudRate);
  }
  // COM and LPT names, and "\\.\COM10" and up, go through the port map; a USB interface
  // path names itself.
  auto node = portMap->Resolve(port.portName);
  return node ? node->devicePath : port.portName;
}
