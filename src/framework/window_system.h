#pragma once

#include <memory>

namespace fw {

// The window system of the operator's windows, open for as long as this object lives; its
// backend is the framework's current one meanwhile.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
};

// Opens the window system when there is a display to show windows on, loading the module
// that brings it. Without a display, or when the module cannot be loaded, it says so on
// standard error in one line and answers nothing, having touched no window system at all. A
// display that is named but cannot be reached ends the process with `unreachableExitCode`
// after saying so.
std::unique_ptr<WindowSystem> OpenWindowSystem(int& argc, char** argv, int unreachableExitCode);

}  // namespace fw
