#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_handle.h"
#include "platform/file_system_parts.h"

namespace platform {

namespace {

std::string ParentOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

bool IsAbsolutePath(const std::string& path) {
  return !path.empty() && path.front() == '/';
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  return dir + "/" + name;
}

bool ParentIsDirectory(const std::string& path) {
  return IsDirectory(ParentOf(path));
}

SysResult<std::vector<std::string>> ListDirectory(const std::string& dir, std::string_view suffix) {
  using Result = SysResult<std::vector<std::string>>;
  DIR* stream = ::opendir(dir.c_str());
  if (stream == nullptr) return Result::Fail("opendir", errno);
  std::vector<std::string> names;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(stream);
    if (entry == nullptr) break;
    std::string_view name(entry->d_name);
    if (EndsWithIgnoringCase(name, suffix)) names.emplace_back(name);
  }
  const int readError = errno;
  ::closedir(stream);
  if (readError != 0) return Result::Fail("readdir", readError);
  return Result::Ok(std::move(names));
}

SysStatus MakeDirectories(const std::string& path, unsigned mode) {
  if (path.empty()) return SysStatus::Fail("mkdir", ENOENT);
  size_t from = 1;
  for (;;) {
    const size_t slash = path.find('/', from);
    const std::string prefix = path.substr(0, slash);
    if (::mkdir(prefix.c_str(), static_cast<mode_t>(mode)) != 0 && errno != EEXIST) {
      return SysStatus::Fail("mkdir", errno);
    }
    if (slash == std::string::npos) break;
    from = slash + 1;
  }
  if (!IsDirectory(path)) return SysStatus::Fail("mkdir", ENOTDIR);
  return OkStatus();
}

}  // namespace platform
