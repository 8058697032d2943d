// One move-aside-and-back cycle of the spooler queues against a private CUPS scheduler
// holding 20 queues that all match the download's port (target: 100 ms or less). Measured
// twice: queues without a driver, and USB queues with one, where the scheduler itself
// spends several milliseconds on every change of a queue. Each round counts, outside the
// timing, the queues the scheduler shows paused after the redirect and live after the
// restore: a round that did not move all 20 and put all 20 back fails the benchmark.
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

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

constexpr int kQueues = 20;

int CountPaused(const testsupport::PrivateCupsServer& cups, const std::string& prefix) {
  int paused = 0;
  for (int i = 0; i < kQueues; ++i) paused += cups.Paused(prefix + std::to_string(i)) ? 1 : 0;
  return paused;
}

bool Measure(const testsupport::PrivateCupsServer& cups, const std::string& prefix,
             const char* what, const std::string& portName, const std::string& modelName) {
  using Clock = std::chrono::steady_clock;
  std::vector<double> ms;
  for (int round = 0; round < 10; ++round) {
    CDownloadDlg dlg(FakePortBackends(std::make_shared<FakePrinter>()));
    dlg.port.portName = portName;
    auto start = Clock::now();
    dlg.RedirectSpoolerPrinters(portName, modelName);
    auto took = Clock::now() - start;
    const int moved = CountPaused(cups, prefix);
    start = Clock::now();
    dlg.RestoreSpoolerPrinters();
    took += Clock::now() - start;
    const int back = kQueues - CountPaused(cups, prefix);
    if (moved != kQueues || back != kQueues) {
      std::printf("redirect + restore of %d %s: round %d paused %d and put back %d: FAILED\n",
                  kQueues, what, round + 1, moved, back);
      return false;
    }
    ms.push_back(std::chrono::duration<double, std::milli>(took).count());
  }
  std::sort(ms.begin(), ms.end());
  std::printf(
      "redirect + restore of %d %s (%d of %d paused and put back, every round): median %.1f "
      "ms, best %.1f ms (target <= 100 ms)\n",
      kQueues, what, kQueues, kQueues, ms[ms.size() / 2], ms.front());
  return true;
}

// Each scheduler is measured in a process of its own: the spooler's client library keeps the
// first scheduler it reached for the rest of the process.
int InChild(const std::function<bool()>& measure) {
  std::fflush(stdout);
  const pid_t child = fork();
  if (child == 0) {
    const bool done = measure();
    std::fflush(stdout);
    _exit(done ? 0 : 1);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return 1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

int main() {
  const int serial = InChild([] {
    testsupport::PrivateCupsServer cups;
    if (!cups.running()) return false;
    for (int i = 0; i < kQueues; ++i) {
      cups.AddQueue("serial" + std::to_string(i), "serial:/dev/ttyS1?n=" + std::to_string(i));
    }
    setenv("CUPS_SERVER", cups.socket().c_str(), 1);
    return Measure(cups, "serial", "serial queues", "COM2", "");
  });
  const int usb = InChild([] {
    testsupport::PrivateCupsServer cups;
    if (!cups.running()) return false;
    for (int i = 0; i < kQueues; ++i) {
      cups.AddQueue("usb" + std::to_string(i), "usb://VORTANE/TQR-05?serial=" + std::to_string(i),
                    "VORTANE TQR-05");
    }
    setenv("CUPS_SERVER", cups.socket().c_str(), 1);
    return Measure(cups, "usb", "USB queues with a driver, rejecting jobs while moved",
                   "\\\\?\\usb#vid_7a3c&pid_0105#1-1#{a5dcbf10-6530-11d2-901f-00c04fb951ed}",
                   "TQR-05");
  });
  return serial == 0 && usb == 0 ? 0 : 1;
}
