#include "download/about_dlg.h"

#include "res/dialog_templates.h"

CAboutDlg::CAboutDlg() : fw::Dialog(res::AboutDialogTemplate()) {}
