#include "download/download_dlg.h"

// Spooler queues bound to the download's port are not moved aside yet: both calls leave
// the spooler as it is and keep `savedPrinterPorts` empty.
void CDownloadDlg::RedirectSpoolerPrinters(const std::string&, const std::string&) {}

void CDownloadDlg::RestoreSpoolerPrinters() {
  savedPrinterPorts.clear();
}
