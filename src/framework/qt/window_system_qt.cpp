#include <QApplication>
#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "framework/backend.h"
#include "framework/qt/qt_backend.h"
#include "framework/window_system.h"
#include "framework/window_system_module.h"

namespace fw {

namespace {

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

std::unique_ptr<WindowSystem> OpenQtWindowSystem(int& argc, char** argv, int unreachableExitCode) {
  UnreachableExitCode() = unreachableExitCode;
  const QtMessageHandler previous = qInstallMessageHandler(EndOnFatal);
  auto system = std::make_unique<QtWindowSystem>(argc, argv);
  qInstallMessageHandler(previous);
  return system;
}

}  // namespace

}  // namespace fw

// The module's one entry point, looked up by name when the program loads it.
extern "C" const fw::WindowSystemModule* vrtqlx_window_system_module() {
  static constexpr fw::WindowSystemModule module{fw::kWindowSystemModuleVersion,
                                                 fw::OpenQtWindowSystem};
  return &module;
}
