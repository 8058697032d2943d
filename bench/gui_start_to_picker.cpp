// Wall time from the start of the process to the model picker on screen, offscreen: the
// benchmark runs itself as a child that starts the way the program does (window system,
// application object, main window) and reports when the picker's window is shown, then
// cancels it. Includes loading Qt and the fonts. Target: 300 ms or less.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/firmware_app.h"
#include "framework/backend.h"
#include "framework/dialog.h"
#include "framework/qt/qt_backend.h"
#include "res/resource_ids.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// The child: what main() does, with the picker answering the pipe and then Escape.
int RunChild(int argc, char** argv, int reportFd) {
  QApplication app(argc, argv);
  fw::qt::QtBackend backend;
  fw::ScopedBackend scoped(backend);
  backend.WhenOpened(res::kPrinterSelectDialog, [&](fw::Dialog& picker) {
    const char shown = 'S';
    if (write(reportFd, &shown, 1) != 1) std::perror("write");
    picker.EndDialog(2);
  });
  CFirmwareApp firmwareApp;
  firmwareApp.SetCommandLine(std::vector<std::string>{"vrtqlx"});
  return firmwareApp.Run();
}

double OneStart(const char* self) {
  int fds[2];
  if (pipe(fds) != 0) return -1;
  const std::string fd = std::to_string(fds[1]);
  char* args[] = {const_cast<char*>(self), const_cast<char*>("--child"),
                  const_cast<char*>(fd.c_str()), nullptr};
  const auto start = Clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, self, nullptr, nullptr, args, environ) != 0) return -1;
  close(fds[1]);
  char shown = 0;
  const ssize_t got = read(fds[0], &shown, 1);
  const auto end = Clock::now();
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (got != 1) return -1;
  return std::chrono::duration<double, std::milli>(end - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--child") == 0) {
    int childArgc = 1;
    return RunChild(childArgc, argv, std::atoi(argv[2]));
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  char scratch[] = "/tmp/vrtqlx-bench-XXXXXX";
  if (!mkdtemp(scratch) || chdir(scratch) != 0) return 1;
  std::vector<double> times;
  for (int i = 0; i < 15; ++i) {
    const double ms = OneStart("/proc/self/exe");
    if (ms < 0) {
      std::fputs("start to picker: the child did not show the picker\n", stderr);
      return 1;
    }
    times.push_back(ms);
  }
  rmdir(scratch);
  std::sort(times.begin(), times.end());
  std::printf(
      "start to model picker on screen (offscreen, %zu runs): median %.1f ms, min %.1f ms,"
      " max %.1f ms (target <= 300 ms)\n",
      times.size(), times[times.size() / 2], times.front(), times.back());
  return 0;
}
