#include <windows.h>

#include <cerrno>

#include "platform/file_handle.h"
#include "platform/file_system.h"
#include "platform/win32_errors.h"

namespace platform {

namespace {

bool EndsWithIgnoringCase(std::string_view name, std::string_view suffix) {
  if (name.size() < suffix.size()) return false;
  const std::string_view tail = name.substr(name.size() - suffix.size());
  for (size_t i = 0; i < suffix.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (lower(tail[i]) != lower(suffix[i])) return false;
  }
  return true;
}

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

SysResult<FileState> ProbeReadable(const std::string& path) {
  auto file = File::OpenReadOnly(path);
  if (!file) {
    if (file.error() == ENOENT && IsDirectory(ParentOf(path))) {
      return SysResult<FileState>::Ok(FileState::kMissing);
    }
    return SysResult<FileState>::Fail(file.call(), file.error());
  }
  auto kind = file.value().Kind();
  if (!kind) return SysResult<FileState>::Fail(kind.call(), kind.error());
  if (kind.value() == FileKind::kDirectory) return SysResult<FileState>::Fail("open", EISDIR);
  return SysResult<FileState>::Ok(FileState::kReadable);
}

SysResult<std::string> ReadWholeFile(const std::string& path, size_t maxBytes) {
  auto file = File::OpenReadOnly(path);
  if (!file) return SysResult<std::string>::Fail(file.call(), file.error());
  auto kind = file.value().Kind();
  if (!kind) return SysResult<std::string>::Fail(kind.call(), kind.error());
  if (kind.value() == FileKind::kDirectory) return SysResult<std::string>::Fail("read", EISDIR);
  if (kind.value() != FileKind::kRegular) return SysResult<std::string>::Fail("read", EINVAL);
  std::string content;
  char chunk[16384];
  for (;;) {
    auto got = file.value().Read(chunk, sizeof chunk);
    if (!got) return SysResult<std::string>::Fail(got.call(), got.error());
    if (got.value() == 0) break;
    if (content.size() + got.value() > maxBytes) return SysResult<std::string>::Fail("read", EFBIG);
    content.append(chunk, got.value());
  }
  return SysResult<std::string>::Ok(std::move(content));
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
