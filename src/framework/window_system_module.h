#pragma once

#include <memory>

#include "framework/window_system.h"

namespace fw {

// The operator's windows come from a module loaded only for an interactive start, so that
// the program itself needs no GUI library. The module's one entry point hands back this
// table. The module uses the framework's classes straight from the program, so both must be
// built from the same sources: a module of another version is refused.
inline constexpr int kWindowSystemModuleVersion = 1;

struct WindowSystemModule {
  int version;
  // Opens the window system for a display that has been named; a display that cannot be
  // reached ends the process with `unreachableExitCode` after saying so.
  std::unique_ptr<WindowSystem> (*open)(int& argc, char** argv, int unreachableExitCode);
};

inline constexpr const char* kWindowSystemModuleFile = "vrtqlx-qt.so";
inline constexpr const char* kWindowSystemModulePackage = "vrtqlx-gui";
inline constexpr const char* kWindowSystemModuleEntry = "vrtqlx_window_system_module";

}  // namespace fw

extern "C" const fw::WindowSystemModule* vrtqlx_window_system_module();
