// CPU time the open main window uses while nothing happens: the window waits in its modal
// loop for 5 s, offscreen, and the process's CPU time over that span is compared with the
// wall time. Target: 0.5 % of one core or less.
#include <time.h>

#include <QApplication>
#include <QListWidget>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "download/download_dlg.h"
#include "framework/backend.h"
#include "framework/dialog_colors.h"
#include "framework/headless/operator_actions.h"
#include "framework/message_box.h"
#include "framework/qt/qt_backend.h"
#include "res/resource_ids.h"

namespace {

double Seconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  fw::qt::QtBackend backend;
  fw::ScopedBackend scoped(backend);
  fw::SetDialogColors(fw::Rgb(255, 255, 255), fw::Rgb(80, 80, 80));
  constexpr int kIdleMs = 5000;
  double cpu = 0;
  double wall = 0;
  CDownloadDlg window;
  backend.WhenOpened(res::kPrinterSelectDialog,
                     [](fw::Dialog& picker) { fw::SelectItem(picker, 1018, 22); });
  backend.WhenOpened(res::kMainDialog, [&](fw::Dialog&) {
    // Let the first paints settle, then measure the quiet window.
    QTimer::singleShot(500, [&] {
      cpu = Seconds(CLOCK_PROCESS_CPUTIME_ID);
      wall = Seconds(CLOCK_MONOTONIC);
      QTimer::singleShot(kIdleMs, [&] {
        cpu = Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu;
        wall = Seconds(CLOCK_MONOTONIC) - wall;
        window.EndDialog(fw::IDOK);
        backend.UnwindEnded();
      });
    });
  });
  window.DoModal();
  if (wall <= 0) return 1;
  std::printf("idle main window (offscreen, %.1f s): %.3f %% of one core (target <= 0.5 %%)\n",
              wall, 100.0 * cpu / wall);
  return 0;
}
