#include "platform/file_system.h"

#include <windows.h>

#include <cerrno>

#include "platform/file_handle.h"
#include "platform/file_system_parts.h"
#include "platform/win32/errors.h"

namespace platform {

namespace {

bool IsSeparator(char c) {
  return c == '/' || c == '\\';
}

std::string ParentOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return ".";
  return path.substr(0, slash + (slash == 2 && path[1] == ':' ? 1 : 0));
}

bool IsDirectory(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

bool IsAbsolutePath(const std::string& path) {
  if (!path.empty() && IsSeparator(path.front())) return true;
  const bool letter = path.size() >= 3 &&
                      ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return letter && path[1] == ':' && IsSeparator(path[2]);
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (!dir.empty() && IsSeparator(dir.back())) return dir + name;
  return dir + "\\" + name;
}

bool ParentIsDirectory(const std::string& path) {
  return IsDirectory(ParentOf(path));
}

SysResult<std::vector<std::string>> ListDirectory(const std::string& dir, std::string_view suffix) {
  using Result = SysResult<std::vector<std::string>>;
  if (!IsDirectory(dir)) return Result::Fail("FindFirstFileA", ENOENT);
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
  std::vector<std::string> names;
  if (search == INVALID_HANDLE_VALUE) {
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return Result::Ok(std::move(names));
    return Result::Fail("FindFirstFileA", LastErrno());
  }
  do {
    std::string_view name(found.cFileName);
    if (EndsWithIgnoringCase(name, suffix)) names.emplace_back(name);
  } while (FindNextFileA(search, &found));
  const DWORD error = GetLastError();
  FindClose(search);
  if (error != ERROR_NO_MORE_FILES) return Result::Fail("FindNextFileA", ErrnoFromWin32(error));
  return Result::Ok(std::move(names));
}

SysStatus MakeDirectories(const std::string& path, unsigned /*mode*/) {
  if (path.empty()) return SysStatus::Fail("CreateDirectoryA", ENOENT);
  for (size_t at = 0; at <= path.size(); ++at) {
    if (at != path.size() && !IsSeparator(path[at])) continue;
    const std::string prefix = path.substr(0, at);
    // Drive names ("C:") and the empty root are there already.
    if (prefix.empty() || (prefix.size() == 2 && prefix[1] == ':')) continue;
    if (!CreateDirectoryA(prefix.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      return SysStatus::Fail("CreateDirectoryA", LastErrno());
    }
  }
  if (!IsDirectory(path)) return SysStatus::Fail("CreateDirectoryA", ENOTDIR);
  return OkStatus();
}

}  // namespace platform
