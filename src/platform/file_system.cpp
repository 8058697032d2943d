#include "platform/file_system.h"

#include <cerrno>

#include "platform/file_handle.h"
#include "platform/file_system_parts.h"

namespace platform {

bool EndsWithIgnoringCase(std::string_view name, std::string_view suffix) {
  if (name.size() < suffix.size()) return false;
  const std::string_view tail = name.substr(name.size() - suffix.size());
  for (size_t i = 0; i < suffix.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (lower(tail[i]) != lower(suffix[i])) return false;
  }
  return true;
}

SysResult<FileState> ProbeReadable(const std::string& path) {
  auto file = File::OpenReadOnly(path);
  if (!file) {
    if (file.error() == ENOENT && ParentIsDirectory(path)) {
      return SysResult<FileState>::Ok(FileState::kMissing);
    }
    return SysResult<FileState>::Fail(file.call(), file.error());
  }
  auto kind = file.value().Kind();
  if (!kind) return SysResult<FileState>::Fail(kind.call(), kind.error());
  if (kind.value() == FileKind::kDirectory) return SysResult<FileState>::Fail("open", EISDIR);
  return SysResult<FileState>::Ok(FileState::kReadable);
}

SysResult<std::string> ReadWholeFile(File& file, size_t maxBytes) {
  auto kind = file.Kind();
  if (!kind) return SysResult<std::string>::Fail(kind.call(), kind.error());
  if (kind.value() == FileKind::kDirectory) return SysResult<std::string>::Fail("read", EISDIR);
  if (kind.value() != FileKind::kRegular) return SysResult<std::string>::Fail("read", EINVAL);
  std::string content;
  char chunk[16384];
  for (;;) {
    auto got = file.Read(chunk, sizeof chunk);
    if (!got) return SysResult<std::string>::Fail(got.call(), got.error());
    if (got.value() == 0) break;
    if (content.size() + got.value() > maxBytes) return SysResult<std::string>::Fail("read", EFBIG);
    content.append(chunk, got.value());
  }
  return SysResult<std::string>::Ok(std::move(content));
}

}  // namespace platform
