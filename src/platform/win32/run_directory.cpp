#include <windows.h>
// windows.h makes CreateFile a name of the system's call; here it is the run's own.
#undef CreateFile

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

}  // namespace

RunDirectory::~RunDirectory() {
  Remove();
}

void RunDirectory::Remove() {
  if (path_.empty()) return;
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    std::vector<std::string> names;
    do {
      const std::string name = found.cFileName;
      if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    for (const auto& name : names) DeleteFileA((path_ + "\\" + name).c_str());
  }
  RemoveDirectoryA(path_.c_str());
  path_.clear();
}

SysResult<std::string> RunDirectory::Path() {
  if (!path_.empty()) return SysResult<std::string>::Ok(path_);
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
    if (CreateDirectoryA(candidate.c_str(), access.attributes())) {
      path_ = candidate;
      return SysResult<std::string>::Ok(path_);
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  return SysResult<std::string>::Fail("CreateDirectoryA", LastErrno());
}

SysResult<File> RunDirectory::CreateFile(const std::string& name) {
  auto dir = Path();
  if (!dir) return SysResult<File>::Fail(dir.call(), dir.error());
  const std::string file = dir.value() + "\\" + name;
  DeleteFileA(file.c_str());
  return File::CreateForAppend(file, 0600);
}

}  // namespace platform
