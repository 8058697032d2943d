#include "framework/win32/win32_window_system.h"
#include "framework/window_system.h"

namespace fw {

// Windows always has a desktop to show the operator's windows on, and the Win32 backend is
// part of the program itself: there is nothing to load and nothing that can be missing.
std::unique_ptr<WindowSystem> OpenWindowSystem(int& /*argc*/, char** /*argv*/,
                                               int /*unreachableExitCode*/) {
  return win32::OpenWin32WindowSystem();
}

}  // namespace fw
