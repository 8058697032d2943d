#pragma once

#include <string>

namespace platform {

// The outcome of loading a shared module: the address of its entry point, or the loader's
// own reason (which names the file or the symbol that failed).
struct ModuleEntry {
  void* address = nullptr;
  std::string error;
};

// Loads the module at `path` for the rest of the process and looks up `entry` in it. Every
// symbol is bound at load time, so a module that does not fit this program fails here with
// a reason instead of ending the process later.
ModuleEntry LoadModuleEntry(const std::string& path, const char* entry);

}  // namespace platform
