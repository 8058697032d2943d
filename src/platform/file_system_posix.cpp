#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_handle.h"

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
