#include <cstdio>

#include "framework/window_system.h"

namespace fw {

std::unique_ptr<WindowSystem> OpenWindowSystem(int&, char**, int) {
  std::fputs("vrtqlx: this build has no window system for the operator's window.\n", stderr);
  return nullptr;
}

}  // namespace fw
