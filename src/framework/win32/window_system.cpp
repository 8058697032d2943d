#include "framework/window_system.h"

#include <windows.h>

#include <string>

#include "framework/win32/win32_window_system.h"
#include "platform/terminal.h"

namespace fw {

namespace {
// Why no window can be shown here, or nothing when one can: a service's window station
// has no visible desktop, and a desktop that cannot make a window (no display behind it)
// refuses the smallest one.
std::string WhyNoDesktop() {
  USEROBJECTFLAGS flags{};
  if (GetUserObjectInformationA(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof(flags),
                                nullptr) &&
      (flags.dwFlags & WSF_VISIBLE) == 0) {
    return "the program runs where no desktop is visible (a service, a scheduled task)";
  }
  HWND probe = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  if (probe == nullptr) return "the desktop cannot make a window";
  DestroyWindow(probe);
  return std::string();
}
}  // namespace

// The Win32 backend is part of the program itself: there is nothing to load. What can be
// missing is a desktop to show the operator's windows on; without one the caller is told,
// as a start without a display is on other systems.
std::unique_ptr<WindowSystem> OpenWindowSystem(int& /*argc*/, char** /*argv*/,
                                               int /*unreachableExitCode*/) {
  if (const std::string why = WhyNoDesktop(); !why.empty()) {
    platform::WriteText(platform::kStandardError, "vrtqlx: no display: " + why + ".\n");
    return nullptr;
  }
  return win32::OpenWin32WindowSystem();
}

}  // namespace fw
