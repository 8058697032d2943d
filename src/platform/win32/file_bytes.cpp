#include "platform/file_bytes.h"

#include <windows.h>

#include <cerrno>

#include "platform/win32/errors.h"

namespace platform {

namespace {
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};
}  // namespace

SysStatus WriteFileBytes(const std::string& path, const uint8_t* data, size_t length) {
  // Neither through a link nor into a device or pipe in the file's place: only a regular
  // file is emptied and written.
  Handle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return SysStatus::Fail("CreateFileA", LastErrno());
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(file.get()) != FILE_TYPE_DISK || !GetFileInformationByHandle(file.get(), &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
    return SysStatus::Fail("not a regular file", EINVAL);
  }
  if (!SetEndOfFile(file.get())) return SysStatus::Fail("SetEndOfFile", LastErrno());
  size_t done = 0;
  while (done < length) {
    DWORD n = 0;
    const DWORD ask = static_cast<DWORD>(std::min<size_t>(length - done, 1u << 30));
    if (!WriteFile(file.get(), data + done, ask, &n, nullptr)) {
      return SysStatus::Fail("WriteFile", LastErrno());
    }
    if (n == 0) return SysStatus::Fail("WriteFile", EIO);
    done += n;
  }
  return OkStatus();
}

SysStatus RemoveFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
    return SysStatus::Fail("not a regular file", EINVAL);
  }
  if (!DeleteFileA(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND &&
      GetLastError() != ERROR_PATH_NOT_FOUND) {
    return SysStatus::Fail("DeleteFileA", LastErrno());
  }
  return OkStatus();
}

}  // namespace platform
