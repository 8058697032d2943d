#include <cstdio>

#include "framework/window_system.h"

namespace fw {

// This build of the program has no window system of the operator's windows yet: it says so
// and opens nothing, so that the start ends as one without a display does.
std::unique_ptr<WindowSystem> OpenWindowSystem(int& /*argc*/, char** /*argv*/,
                                               int /*unreachableExitCode*/) {
  std::fputs("vrtqlx: the operator's window is not built into this program for Windows yet.\n",
             stderr);
  return nullptr;
}

}  // namespace fw
