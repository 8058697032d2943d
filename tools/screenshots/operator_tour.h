#pragma once

// The walk through the operator's five windows that the screenshot tools of both backends
// take: the picker (TQR-23 chosen), the settings dialog (Ethernet to 127.0.0.1:9100), the
// main window after a file was chosen, the About box from the system menu, and the
// completion notice. `save` is called once for each window as it stands.
#include <cstdio>
#include <functional>
#include <string>

#include "download/download_dlg.h"
#include "framework/dialog_colors.h"
#include "framework/headless/operator_actions.h"
#include "framework/message_box.h"
#include "platform/run_directory.h"
#include "res/resource_ids.h"
#include "ui/notice_dlg.h"

namespace screenshots {

// The main window's system-menu command that opens the About box.
inline constexpr unsigned kAboutCommand = 0x10;

// `Backend` is any backend that runs a handler when a dialog of a template opens. The
// caller answers the file dialog itself, as only it knows that backend's boxes.
template <typename Backend>
void TakeOperatorTour(Backend& backend,
                      const std::function<void(const fw::Dialog&, const char*)>& save) {
  backend.WhenOpened(res::kPrinterSelectDialog, [&](fw::Dialog& picker) {
    save(picker, "model-picker.png");
    fw::SelectItem(picker, 1018, 22);  // TQR-23
  });
  backend.WhenOpened(res::kPortConfigDialog, [&](fw::Dialog& settings) {
    fw::Click(settings, res::kEthernetRadio);
    fw::TypeIpAddress(settings, res::kIpAddress, {127, 0, 0, 1});
    fw::TypeText(settings, res::kTcpPortEdit, "9100");
    save(settings, "settings-dialog.png");
    fw::Click(settings, res::kPortOkButton);
  });
  backend.WhenOpened(res::kAboutDialog, [&](fw::Dialog& about) {
    save(about, "about-box.png");
    about.EndDialog(fw::IDOK);
  });
  CDownloadDlg window;
  backend.WhenOpened(res::kMainDialog, [&](fw::Dialog&) {
    fw::Click(window, res::kConfigButton);
    fw::Click(window, res::kSelectButton);
    save(window, "main-window.png");
    window.SendSysCommand(kAboutCommand);
    window.EndDialog(fw::IDOK);
  });
  window.DoModal();
  backend.WhenOpened(res::kNoticeDialog, [&](fw::Dialog& notice) {
    save(notice, "completion-notice.png");
    notice.EndDialog(fw::IDOK);
  });
  CNoticeDlg notice;
  notice.DoModal();
}

// The file chosen in the main window's file dialog, made empty for the run; it is never
// downloaded.
inline constexpr const char* kFirmwareName = "TQR-23_V1.00_120826.fls";

// Takes the tour and writes each window into `outDir` through `savePng(dialog, path)`,
// naming every file written on standard output. `chooseFile(path)` makes the backend answer
// its file dialog with `path`. `separator` joins directory and file names. True when all
// five windows were written.
template <typename Backend>
bool SaveOperatorWindows(Backend& backend, const std::string& outDir, char separator,
                         const std::function<bool(const fw::Dialog&, const std::string&)>& savePng,
                         const std::function<void(const std::string&)>& chooseFile) {
  platform::RunDirectory scratch;
  auto dir = scratch.Path();
  auto file = scratch.CreateFile(kFirmwareName);
  if (!dir || !file) return false;
  chooseFile(dir.value() + separator + kFirmwareName);
  fw::SetDialogColors(fw::Rgb(255, 255, 255), fw::Rgb(80, 80, 80));
  int saved = 0;
  TakeOperatorTour(backend, [&](const fw::Dialog& dialog, const char* name) {
    const std::string path = outDir + separator + name;
    if (savePng(dialog, path)) {
      ++saved;
      std::printf("%s\n", path.c_str());
    } else {
      std::fprintf(stderr, "qlx-screenshots: cannot write %s\n", path.c_str());
    }
  });
  return saved == 5;
}

}  // namespace screenshots
