#include <dlfcn.h>

#include "platform/module_loader.h"

namespace platform {

namespace {

std::string LoaderError() {
  const char* reason = dlerror();
  return reason ? reason : "unknown loader error";
}

}  // namespace

ModuleEntry LoadModuleEntry(const std::string& path, const char* entry) {
  dlerror();
  // Never closed: what the module creates (its window system, its libraries' exit handlers)
  // lives until the process ends.
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return {nullptr, LoaderError()};
  void* address = dlsym(handle, entry);
  if (!address) {
    ModuleEntry failed{nullptr, LoaderError()};
    dlclose(handle);
    return failed;
  }
  return {address, {}};
}

}  // namespace platform
