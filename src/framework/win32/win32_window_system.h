#pragma once

#include <memory>

#include "framework/window_system.h"

namespace fw::win32 {

// Registers the window classes of the common controls the templates use (the IP address
// control among them); a dialog naming a class that is not registered cannot be made.
void RegisterCommonControls();

// The common controls registered (the IP address control among them) and the Win32
// backend installed as the framework's current one, for as long as this object lives.
std::unique_ptr<WindowSystem> OpenWin32WindowSystem();

}  // namespace fw::win32
