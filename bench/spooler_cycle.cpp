// One move-aside-and-back cycle of the spooler queues against a private CUPS scheduler
// holding 20 queues that all match the download's port (target: 100 ms or less). Measured
// twice: queues without a driver, and USB queues with one, where the scheduler itself
// spends several milliseconds on every change of a queue.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "download/download_dlg.h"
#include "support/fake_printer.h"
#include "support/private_cups_server.h"

namespace {

void Measure(const char* what, const std::string& portName, const std::string& modelName) {
  std::vector<double> ms;
  for (int round = 0; round < 10; ++round) {
    CDownloadDlg dlg(FakePortBackends(std::make_shared<FakePrinter>()));
    dlg.port.portName = portName;
    const auto start = std::chrono::steady_clock::now();
    dlg.RedirectSpoolerPrinters(portName, modelName);
    dlg.RestoreSpoolerPrinters();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                     .count());
  }
  std::sort(ms.begin(), ms.end());
  std::printf("redirect + restore of 20 %s: median %.1f ms, best %.1f ms (target <= 100 ms)\n",
              what, ms[ms.size() / 2], ms.front());
}

}  // namespace

int main() {
  {
    testsupport::PrivateCupsServer cups;
    if (!cups.running()) return 1;
    for (int i = 0; i < 20; ++i) {
      cups.AddQueue("serial" + std::to_string(i), "serial:/dev/ttyS1?n=" + std::to_string(i));
    }
    setenv("CUPS_SERVER", cups.socket().c_str(), 1);
    Measure("serial queues", "COM2", "");
  }
  {
    testsupport::PrivateCupsServer cups;
    if (!cups.running()) return 1;
    for (int i = 0; i < 20; ++i) {
      cups.AddQueue("usb" + std::to_string(i), "usb://VORTANE/TQR-05?serial=" + std::to_string(i),
                    "VORTANE TQR-05");
    }
    setenv("CUPS_SERVER", cups.socket().c_str(), 1);
    Measure("USB queues with a driver, rejecting jobs while moved",
            "\\\\?\\usb#vid_7a3c&pid_0105#1-1#{a5dcbf10-6530-11d2-901f-00c04fb951ed}", "TQR-05");
  }
  return 0;
}
