#include "app/firmware_app.h"
#include "ui/port_config_dlg.h"

// The settings dialog knows how to find USB printers; its window is never created here.
void CFirmwareApp::FindConnectedUsbPrinter(const std::string& modelName, std::string& path) {
  CPortConfigDlg finder;
  finder.wantedModelCode = modelCode;
  finder.FindUsbPrinterPath(modelName, path);
}
