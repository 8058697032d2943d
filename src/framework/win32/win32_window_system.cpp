#include "framework/win32/win32_window_system.h"

#include "framework/backend.h"
#include "framework/win32/win32_backend.h"

namespace fw::win32 {

namespace {
class Win32WindowSystem final : public WindowSystem {
 public:
  Win32WindowSystem() : scoped_(backend_) {}

 private:
  Win32Backend backend_;
  ScopedBackend scoped_;
};
}  // namespace

void RegisterCommonControls() {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_INTERNET_CLASSES | ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&controls);
}

std::unique_ptr<WindowSystem> OpenWin32WindowSystem() {
  RegisterCommonControls();
  return std::make_unique<Win32WindowSystem>();
}

}  // namespace fw::win32
