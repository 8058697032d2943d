#include "download/download_dlg.h"

#include "app/event_log.h"
#include "framework/application.h"
#include "res/dialog_templates.h"

CDownloadDlg::CDownloadDlg() : fw::Dialog(res::MainDialogTemplate()) {}

CDownloadDlg::~CDownloadDlg() = default;

bool CDownloadDlg::PreTranslateKey(int vk) { return vk == fw::kVkReturn || vk == fw::kVkEscape; }

bool CDownloadDlg::OnInitDialog() {
  fw::Dialog::OnInitDialog();
  if (invalidParameters) {
    CEventLog::GetInstance()->Flush();
    fw::Application::EndProcess(1);
    return true;
  }
  return true;
}
