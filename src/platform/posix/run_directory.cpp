#include "platform/run_directory.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace platform {

RunDirectory::~RunDirectory() {
  Remove();
}

void RunDirectory::Remove() {
  if (path_.empty()) return;
  if (DIR* dir = opendir(path_.c_str())) {
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    for (const auto& name : names) unlink((path_ + "/" + name).c_str());
  }
  rmdir(path_.c_str());
  path_.clear();
}

SysResult<std::string> RunDirectory::Path() {
  if (!path_.empty()) return SysResult<std::string>::Ok(path_);
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vrtqlx-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) return SysResult<std::string>::Fail("mkdtemp", errno);
  path_ = buffer.data();
  return SysResult<std::string>::Ok(path_);
}

SysResult<File> RunDirectory::CreateFile(const std::string& name) {
  auto dir = Path();
  if (!dir) return SysResult<File>::Fail(dir.call(), dir.error());
  const std::string file = dir.value() + "/" + name;
  unlink(file.c_str());
  return File::CreateForAppend(file, 0600);
}

}  // namespace platform
