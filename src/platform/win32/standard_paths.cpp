#include "platform/standard_paths.h"

#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/win32/errors.h"

namespace platform {

SysResult<std::string> CurrentDirectory() {
  const DWORD needed = GetCurrentDirectoryA(0, nullptr);
  if (needed == 0) return SysResult<std::string>::Fail("GetCurrentDirectoryA", LastErrno());
  std::vector<char> buffer(needed);
  const DWORD length = GetCurrentDirectoryA(needed, buffer.data());
  if (length == 0 || length >= needed) {
    return SysResult<std::string>::Fail("GetCurrentDirectoryA", LastErrno());
  }
  return SysResult<std::string>::Ok(std::string(buffer.data(), length));
}

SysResult<std::string> ProgramDirectory() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return SysResult<std::string>::Fail("GetModuleFileNameA", LastErrno());
    if (length < buffer.size()) {
      std::string path(buffer.data(), length);
      const size_t slash = path.find_last_of("\\/");
      if (slash == std::string::npos)
        return SysResult<std::string>::Fail("GetModuleFileNameA", EINVAL);
      return SysResult<std::string>::Ok(path.substr(0, slash));
    }
    if (buffer.size() >= (1u << 16)) {
      return SysResult<std::string>::Fail("GetModuleFileNameA", ENAMETOOLONG);
    }
    buffer.resize(buffer.size() * 2);
  }
}

SysResult<std::string> UserStateDirectory() {
  const char* local = std::getenv("LOCALAPPDATA");
  if (local != nullptr && *local != '\0') return SysResult<std::string>::Ok(local);
  return SysResult<std::string>::Fail("getenv", ENOENT);
}

// A Windows program keeps its folder (its log beside it, the file dialog there) wherever
// it was installed.
bool IsInstalledUnderSystemPrefix() {
  return false;
}

LogPlaces LogDirectories() {
  LogPlaces places;
  if (auto state = UserStateDirectory()) places.fallback = state.value() + "\\vrtqlx";
  if (auto program = ProgramDirectory()) places.first = program.value();
  return places;
}

std::string LogPlacesHelp() {
  return "  When the program's folder cannot take it, the log goes to %LOCALAPPDATA%\\vrtqlx.\n";
}

}  // namespace platform
