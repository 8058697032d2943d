#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "framework/window_system.h"
#include "framework/window_system_module.h"
#include "platform/file_system.h"
#include "platform/module_loader.h"
#include "platform/standard_paths.h"

namespace fw {

namespace {

bool DisplayNamed() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

// Beside the program (a build tree), then in the private library directory of an
// installation (bin/../lib/<multiarch>/vrtqlx). The first that exists is the one loaded.
std::vector<std::string> ModuleCandidates() {
  auto programDir = platform::ProgramDirectory();
  const std::string dir = programDir ? programDir.value() : std::string(".");
  const std::string base = dir == "/" ? std::string() : dir;
  const std::filesystem::path installed =
      std::filesystem::path(base + "/../" VRTQLX_MODULE_DIR "/" + kWindowSystemModuleFile)
          .lexically_normal();
  return {base + "/" + kWindowSystemModuleFile, installed.string()};
}

std::string FirstExisting(const std::vector<std::string>& candidates) {
  for (const std::string& path : candidates) {
    const auto state = platform::ProbeReadable(path);
    if (state && state.value() == platform::FileState::kReadable) return path;
  }
  // None there: loading the installed one anyway lets the loader name what is missing
  // where the package puts it.
  return candidates.back();
}

void SayCannotLoad(const std::string& reason) {
  std::fprintf(stderr,
               "vrtqlx: the operator's window needs the module %s of the package %s, which "
               "cannot be loaded: %s\n",
               kWindowSystemModuleFile, kWindowSystemModulePackage, reason.c_str());
}

const WindowSystemModule* LoadModule() {
  const std::string path = FirstExisting(ModuleCandidates());
  const platform::SharedLibrary library = platform::LoadSharedLibrary(path);
  std::string error = library.error;
  void* entry = platform::LibrarySymbol(library, kWindowSystemModuleEntry, error);
  if (!entry) {
    SayCannotLoad(error);
    return nullptr;
  }
  const auto handOver = reinterpret_cast<decltype(&vrtqlx_window_system_module)>(entry);
  const WindowSystemModule* module = handOver();
  if (!module || module->version != kWindowSystemModuleVersion || !module->open) {
    SayCannotLoad(path + " is of module version " + std::to_string(module ? module->version : 0) +
                  ", this program needs version " + std::to_string(kWindowSystemModuleVersion));
    return nullptr;
  }
  return module;
}

}  // namespace

std::unique_ptr<WindowSystem> OpenWindowSystem(int& argc, char** argv, int unreachableExitCode) {
  if (!DisplayNamed()) {
    std::fputs("vrtqlx: no display: neither DISPLAY nor WAYLAND_DISPLAY is set.\n", stderr);
    return nullptr;
  }
  const WindowSystemModule* module = LoadModule();
  if (!module) return nullptr;
  return module->open(argc, argv, unreachableExitCode);
}

}  // namespace fw
