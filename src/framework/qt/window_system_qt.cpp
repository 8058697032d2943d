#include <QApplication>
#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "framework/backend.h"
#include "framework/qt/qt_backend.h"
#include "framework/window_system.h"

namespace fw {

namespace {

bool DisplayNamed() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

// Qt ends the process with abort() when it cannot reach the display it was given. Its
// message handler is a plain function with no context, so the exit code waits here.
std::atomic<int>& UnreachableExitCode() {
  static std::atomic<int> code{1};
  return code;
}

void EndOnFatal(QtMsgType type, const QMessageLogContext&, const QString& message) {
  std::fprintf(stderr, "vrtqlx: %s\n", message.toLocal8Bit().constData());
  if (type == QtFatalMsg) {
    std::fputs("vrtqlx: the display cannot be opened, so no operator window can be shown.\n",
               stderr);
    std::_Exit(UnreachableExitCode().load());
  }
}

class QtWindowSystem final : public WindowSystem {
 public:
  QtWindowSystem(int& argc, char** argv) : app_(argc, argv), scoped_(backend_) {}

 private:
  QApplication app_;
  qt::QtBackend backend_;
  ScopedBackend scoped_;
};

}  // namespace

std::unique_ptr<WindowSystem> OpenWindowSystem(int& argc, char** argv, int unreachableExitCode) {
  if (!DisplayNamed()) {
    std::fputs("vrtqlx: no display: neither DISPLAY nor WAYLAND_DISPLAY is set.\n", stderr);
    return nullptr;
  }
  UnreachableExitCode() = unreachableExitCode;
  const QtMessageHandler previous = qInstallMessageHandler(EndOnFatal);
  auto system = std::make_unique<QtWindowSystem>(argc, argv);
  qInstallMessageHandler(previous);
  return system;
}

}  // namespace fw
