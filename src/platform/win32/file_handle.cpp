#include "platform/file_handle.h"

#include <windows.h>

#include <cerrno>
#include <utility>

#include "platform/win32/errors.h"

namespace platform {

namespace {
HANDLE AsHandle(intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

// Opens with CreateFileA; `share` lets other programs read and write meanwhile, as the
// C library's files do. `flags` adds to the attributes and flags of the open.
SysResult<intptr_t> OpenHandle(const std::string& path, DWORD access, DWORD disposition,
                               DWORD flags = 0) {
  HANDLE handle =
      CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return SysResult<intptr_t>::Fail("CreateFileA", LastErrno());
  return SysResult<intptr_t>::Ok(reinterpret_cast<intptr_t>(handle));
}
}  // namespace

File::~File() {
  if (fd_ != kNoFile) CloseHandle(AsHandle(fd_));
}

File::File(File&& other) noexcept : fd_(std::exchange(other.fd_, kNoFile)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (fd_ != kNoFile) CloseHandle(AsHandle(fd_));
    fd_ = std::exchange(other.fd_, kNoFile);
  }
  return *this;
}

SysResult<File> File::OpenReadOnly(const std::string& path) {
  auto handle = OpenHandle(path, GENERIC_READ, OPEN_EXISTING);
  if (!handle) return SysResult<File>::Fail(handle.call(), handle.error());
  return SysResult<File>::Ok(File(handle.value()));
}

SysResult<File> File::OpenForAppend(const std::string& path) {
  // Append access alone makes every write land at the end of the file. A link is opened
  // itself, not followed; Kind then calls it no regular file.
  auto handle = OpenHandle(path, FILE_APPEND_DATA | GENERIC_READ, OPEN_EXISTING,
                           FILE_FLAG_OPEN_REPARSE_POINT);
  if (!handle) return SysResult<File>::Fail(handle.call(), handle.error());
  return SysResult<File>::Ok(File(handle.value()));
}

SysResult<File> File::CreateForAppend(const std::string& path, unsigned /*mode*/) {
  auto handle = OpenHandle(path, FILE_APPEND_DATA | GENERIC_READ, CREATE_NEW);
  if (!handle) return SysResult<File>::Fail(handle.call(), handle.error());
  return SysResult<File>::Ok(File(handle.value()));
}

SysResult<size_t> File::Read(char* buffer, size_t size) {
  DWORD got = 0;
  const DWORD ask = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
  if (!ReadFile(AsHandle(fd_), buffer, ask, &got, nullptr)) {
    return SysResult<size_t>::Fail("ReadFile", LastErrno());
  }
  return SysResult<size_t>::Ok(got);
}

SysStatus File::WriteAll(std::string_view data) {
  while (!data.empty()) {
    DWORD put = 0;
    const DWORD ask = static_cast<DWORD>(std::min<size_t>(data.size(), 1u << 30));
    if (!WriteFile(AsHandle(fd_), data.data(), ask, &put, nullptr)) {
      return SysStatus::Fail("WriteFile", LastErrno());
    }
    if (put == 0) return SysStatus::Fail("WriteFile", EIO);
    data.remove_prefix(put);
  }
  return OkStatus();
}

SysStatus File::AppendWhole(std::string_view entry) {
  // One WriteFile of the whole entry: the system writes nothing when the disk cannot take
  // all of it.
  DWORD put = 0;
  const DWORD ask = static_cast<DWORD>(std::min<size_t>(entry.size(), 1u << 30));
  if (ask != entry.size()) return SysStatus::Fail("WriteFile", EFBIG);
  if (!WriteFile(AsHandle(fd_), entry.data(), ask, &put, nullptr))
    return SysStatus::Fail("WriteFile", LastErrno());
  if (put != ask) return SysStatus::Fail("WriteFile", ENOSPC);
  return OkStatus();
}

SysResult<FileKind> File::Kind() const {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(AsHandle(fd_), &info)) {
    // Devices (a COM port, a printer) have no file information.
    if (GetFileType(AsHandle(fd_)) != FILE_TYPE_DISK)
      return SysResult<FileKind>::Ok(FileKind::kOther);
    return SysResult<FileKind>::Fail("GetFileInformationByHandle", LastErrno());
  }
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    return SysResult<FileKind>::Ok(FileKind::kDirectory);
  }
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    return SysResult<FileKind>::Ok(FileKind::kOther);
  }
  return SysResult<FileKind>::Ok(FileKind::kRegular);
}

SysResult<uint64_t> File::Size() const {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(AsHandle(fd_), &size))
    return SysResult<uint64_t>::Fail("GetFileSizeEx", LastErrno());
  return SysResult<uint64_t>::Ok(static_cast<uint64_t>(size.QuadPart));
}

SysResult<std::vector<uint8_t>> File::ReadAllBytes(uint64_t maxBytes) {
  using Result = SysResult<std::vector<uint8_t>>;
  auto kind = Kind();
  if (!kind) return Result::Fail(kind.call(), kind.error());
  if (kind.value() == FileKind::kDirectory) return Result::Fail("open", EISDIR);
  // A pipe, console or device has no size to trust and may never end.
  if (kind.value() != FileKind::kRegular || GetFileType(AsHandle(fd_)) != FILE_TYPE_DISK) {
    return Result::Fail("not a regular file", EINVAL);
  }
  auto size = Size();
  if (!size) return Result::Fail(size.call(), size.error());
  if (size.value() > maxBytes) return Result::Fail("GetFileSizeEx", EFBIG);
  std::vector<uint8_t> bytes(static_cast<size_t>(size.value()));
  size_t got = 0;
  while (got < bytes.size()) {
    auto n = Read(reinterpret_cast<char*>(bytes.data() + got), bytes.size() - got);
    if (!n) return Result::Fail(n.call(), n.error());
    if (n.value() == 0) break;  // the file shrank while being read
    got += n.value();
  }
  bytes.resize(got);
  return Result::Ok(std::move(bytes));
}

}  // namespace platform
