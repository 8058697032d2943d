#include "download/download_dlg.h"
#include "download/link_class.h"

std::string CDownloadDlg::RehearseSilentStart(std::string& device, std::string& reason) {
  const std::string operatorFile = firmwarePath;
  if (ConvertsBeforeSending(firmwarePath) && !ConvertHexToFls(firmwarePath, &reason)) {
    firmwarePath = operatorFile;
    return "Failed File Loading!!";
  }
  const int loaded = LoadImage(reason);
  firmwarePath = operatorFile;
  std::vector<uint8_t>().swap(imageBuffer);
  if (!loaded) return "File Open Error. filename=" + firmwarePath;
  reason.clear();
  if (ClassifyLink(port.portName) == LinkClass::LocalPort && !portMap->Resolve(port.portName)) {
    reason = "no device node for this port name";
    return "Port Open Error. Port=" + port.portName;
  }
  device = LinkTarget();
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
