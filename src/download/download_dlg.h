#pragma once

#include <string>

#include "framework/dialog.h"
#include "ports/port_settings.h"

// The program's one main window. (Being built: the engine and the drawing follow.)
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
};
