#include "download/download_dlg.h"
#include "framework/message_box.h"
#include "res/resource_ids.h"
#include "ui/port_config_dlg.h"

void CDownloadDlg::OnConfiguration() {
  CPortConfigDlg dlg;
  dlg.wantedModelCode = modelCode;
  dlg.portName = port.portName;
  dlg.baudRate = port.baudRate;
  dlg.dataBits = port.dataBits;
  dlg.stopBits = port.stopBits;
  dlg.parity = port.parity;
  dlg.flowControl = port.flowControl;
  dlg.extraValue = port.reserved[1];
  if (dlg.DoModal() != fw::IDOK) return;

  port.portName = dlg.portName;
  port.baudRate = dlg.baudRate;
  port.dataBits = dlg.dataBits;
  port.stopBits = dlg.stopBits;
  port.parity = dlg.parity;
  port.flowControl = dlg.flowControl;
  port.timeouts = {10, 10, 10, 0, 0};
  port.rxBufferSize = 8192;
  port.reserved = {4096, dlg.extraValue, 0, 3000, 0, 0};

  EnableItem(res::kSelectButton, true);
  SetHelpText("HELP : Select Firmware File.");
}
