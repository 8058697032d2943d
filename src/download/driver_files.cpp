#include "download/download_dlg.h"
#include "platform/file_bytes.h"

namespace {
// The driver file of the port class, named after the first characters of the port name.
// The program carries no driver bytes, so each file is written empty.
const char* DriverFileName(const std::string& portName) {
  if (portName.rfind("COM", 0) == 0) return "com.dll";
  if (portName.rfind("LPT", 0) == 0) return "lpt.dll";
  return "usb.dll";
}
}  // namespace

void CDownloadDlg::WriteDriverFile() {
  // Failures are silent: nothing reads the file, and the download goes on without it.
  platform::WriteFileBytes(DriverFileName(port.portName), nullptr, 0);
}

void CDownloadDlg::DeleteDriverFile() {
  platform::RemoveFile(DriverFileName(port.portName));
}
