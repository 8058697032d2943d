#include "platform/standard_paths.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace platform {

SysResult<std::string> CurrentDirectory() {
  std::vector<char> buffer(4096);
  for (;;) {
    if (::getcwd(buffer.data(), buffer.size()) != nullptr) {
      return SysResult<std::string>::Ok(std::string(buffer.data()));
    }
    if (errno != ERANGE || buffer.size() >= (1u << 20)) {
      return SysResult<std::string>::Fail("getcwd", errno);
    }
    buffer.resize(buffer.size() * 2);
  }
}

SysResult<std::string> ProgramDirectory() {
  std::vector<char> buffer(4096);
  for (;;) {
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return SysResult<std::string>::Fail("readlink", errno);
    if (static_cast<size_t>(length) < buffer.size()) {
      std::string path(buffer.data(), static_cast<size_t>(length));
      const size_t slash = path.find_last_of('/');
      if (slash == std::string::npos) return SysResult<std::string>::Fail("readlink", EINVAL);
      return SysResult<std::string>::Ok(slash == 0 ? std::string("/") : path.substr(0, slash));
    }
    if (buffer.size() >= (1u << 20)) return SysResult<std::string>::Fail("readlink", ENAMETOOLONG);
    buffer.resize(buffer.size() * 2);
  }
}

SysResult<std::string> UserStateDirectory() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') return SysResult<std::string>::Ok(state);
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') {
    return SysResult<std::string>::Ok(std::string(home) + "/.local/state");
  }
  return SysResult<std::string>::Fail("getenv", ENOENT);
}

bool IsInstalledUnderSystemPrefix() {
  static const char* const kSystemPrograms[] = {"/usr/bin",  "/usr/local/bin",  "/bin",
                                                "/usr/sbin", "/usr/local/sbin", "/sbin"};
  auto program = ProgramDirectory();
  if (!program) return false;
  for (const char* dir : kSystemPrograms) {
    if (program.value() == dir) return true;
  }
  return false;
}

LogPlaces LogDirectories() {
  auto state = UserStateDirectory();
  LogPlaces places;
  if (state) places.fallback = state.value() + "/vrtqlx";
  if (IsInstalledUnderSystemPrefix()) {
    places.first = geteuid() == 0 ? std::string("/var/log/vrtqlx") : places.fallback;
  } else if (auto program = ProgramDirectory()) {
    places.first = program.value();
  }
  return places;
}

std::string LogPlacesHelp() {
  return "  When the program's folder cannot take it, the log goes to the user's state directory\n"
         "  ($XDG_STATE_HOME/vrtqlx, else ~/.local/state/vrtqlx). A program installed in\n"
         "  /usr/bin or /usr/local/bin logs to /var/log/vrtqlx/ when run as root, to the state\n"
         "  directory otherwise.\n";
}

}  // namespace platform
