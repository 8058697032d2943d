#pragma once

#include "framework/dialog.h"

// The About box: the application's name and version, opened from the system menu.
class CAboutDlg : public fw::Dialog {
 public:
  CAboutDlg();
};
