#include <dlfcn.h>

#include "platform/module_loader.h"

namespace platform {

namespace {

std::string LoaderError() {
  const char* reason = dlerror();
  return reason ? reason : "unknown loader error";
}

}  // namespace

SharedLibrary LoadSharedLibrary(const std::string& path) {
  dlerror();
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return {nullptr, LoaderError()};
  return {handle, {}};
}

void* LibrarySymbol(const SharedLibrary& library, const char* name, std::string& error) {
  if (!library.handle) return nullptr;
  dlerror();
  void* address = dlsym(library.handle, name);
  if (!address) error = LoaderError();
  return address;
}

}  // namespace platform
