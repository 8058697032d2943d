#include <windows.h>
// windows.h makes CreateFile a name of the system's call; here it is the run's own.
#undef CreateFile

#include <algorithm>
#include <string>
#include <vector>

#include "platform/run_directory.h"
#include "platform/win32/errors.h"
#include "platform/win32/owner_only_access.h"

namespace platform {

namespace {

// The drive the system lives on, read off the system directory ("C:\Windows\system32").
std::string SystemDrive() {
  char dir[MAX_PATH];
  const UINT length = GetSystemDirectoryA(dir, sizeof dir);
  if (length >= 2 && length < sizeof dir && dir[1] == ':') return std::string(dir, 2);
  return "C:";
}

HANDLE HandleOf(intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

RunDirectory::~RunDirectory() {
  Remove();
}

void RunDirectory::Remove() {
  if (handle_ == -1) return;
  for (const auto& name : names_) DeleteFileA((path_ + "\\" + name).c_str());
  names_.clear();
  CloseHandle(HandleOf(handle_));
  handle_ = -1;
  // A junction put in the directory's place after the handle went is removed as itself,
  // never followed; a directory that is not empty stays.
  RemoveDirectoryA(path_.c_str());
  path_.clear();
}

SysResult<std::string> RunDirectory::Path() {
  if (handle_ != -1) return SysResult<std::string>::Ok(path_);
  // The system drive's \Temp\, as the program has always used; a directory of this run's
  // own inside it, so that no other program's file is ever taken for ours.
  const std::string temp = SystemDrive() + "\\Temp";
  OwnerOnlyAccess access;
  if (!access.attributes()) return SysResult<std::string>::Fail("security descriptor", EACCES);
  if (!CreateDirectoryA(temp.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    return SysResult<std::string>::Fail("CreateDirectoryA", LastErrno());
  }
  const std::string stem = temp + "\\vrtqlx-" + std::to_string(GetCurrentProcessId()) + "-";
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate = stem + std::to_string(GetTickCount() + attempt);
    if (!CreateDirectoryA(candidate.c_str(), access.attributes())) {
      if (GetLastError() != ERROR_ALREADY_EXISTS) break;
      continue;
    }
    // \Temp may be open to every user. The directory is held open without delete sharing
    // for the whole run, so nobody can move it away or put a junction in its place, and a
    // reparse point already in its place is not taken for it.
    HANDLE held = CreateFileA(candidate.c_str(), FILE_LIST_DIRECTORY,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (held == INVALID_HANDLE_VALUE)
      return SysResult<std::string>::Fail("CreateFileA", LastErrno());
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(held, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      CloseHandle(held);
      return SysResult<std::string>::Fail("the private directory was replaced", EPERM);
    }
    handle_ = reinterpret_cast<intptr_t>(held);
    path_ = candidate;
    return SysResult<std::string>::Ok(path_);
  }
  return SysResult<std::string>::Fail("CreateDirectoryA", LastErrno());
}

SysResult<File> RunDirectory::CreateFile(const std::string& name) {
  auto dir = Path();
  if (!dir) return SysResult<File>::Fail(dir.call(), dir.error());
  const std::string file = dir.value() + "\\" + name;
  if (const auto known = std::find(names_.begin(), names_.end(), name); known != names_.end()) {
    DeleteFileA(file.c_str());
    names_.erase(known);
  }
  auto created = File::CreateForAppend(file, 0600);
  if (created) names_.push_back(name);
  return created;
}

SysResult<File> RunDirectory::OpenFile(const std::string& path) const {
  if (NameOf(path).empty()) return SysResult<File>::Fail("open", ENOENT);
  return File::OpenReadOnly(path);
}

void RunDirectory::RemoveFile(const std::string& path) {
  const std::string name = NameOf(path);
  // Only a name this run created is removed.
  const auto made = std::find(names_.begin(), names_.end(), name);
  if (name.empty() || made == names_.end()) return;
  DeleteFileA(path.c_str());
  names_.erase(made);
}

}  // namespace platform
