#pragma once

#include <string>

#include "framework/dialog.h"
#include "ports/port_settings.h"

// The program's one main window: it hosts a download from start to end. An interactive run
// guides the operator through its buttons; a silent run starts the download at once and
// closes the window when the download has ended.
class CDownloadDlg : public fw::Dialog {
 public:
  CDownloadDlg();
  ~CDownloadDlg() override;

  // The silent job, written by the application's start step before the window runs.
  int silent = 0;
  int invalidParameters = 0;
  int modelCode = 0;
  std::string modelName;
  std::string firmwarePath;
  PortSettings port;

  bool OnInitDialog() override;
  bool PreTranslateKey(int vk) override;
};
