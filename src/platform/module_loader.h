#pragma once

#include <string>

namespace platform {

// A shared library loaded at run time for the rest of the process; `handle` is null when
// it could not be loaded, and `error` then holds the loader's reason (which names the file).
struct SharedLibrary {
  void* handle = nullptr;
  std::string error;
};

// Every symbol is bound at load time, so a library that does not fit this program fails
// here with a reason instead of ending the process later. Never unloaded: what it creates
// (a window system, its own libraries' exit handlers) lives until the process ends.
SharedLibrary LoadSharedLibrary(const std::string& path);

// The address of `name` in `library`; nullptr with the loader's reason in `error`.
void* LibrarySymbol(const SharedLibrary& library, const char* name, std::string& error);

}  // namespace platform
