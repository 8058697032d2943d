#include "platform/run_directory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace platform {

RunDirectory::~RunDirectory() {
  Remove();
}

SysResult<std::string> RunDirectory::Path() {
  if (handle_ >= 0) return SysResult<std::string>::Ok(path_);
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vrtqlx-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!mkdtemp(buffer.data())) return SysResult<std::string>::Fail("mkdtemp", errno);
  // Held open from here on. Between mkdtemp and this open the name may already have been
  // given to something else: a link is not followed, and a directory that is not this user's
  // alone is not the one made.
  const int fd = RetryOnInterrupt(
      [&] { return ::open(buffer.data(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC); });
  if (fd < 0) return SysResult<std::string>::Fail("open", errno);
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() ||
      (st.st_mode & 07777) != 0700) {
    ::close(fd);
    return SysResult<std::string>::Fail("the private directory was replaced", EPERM);
  }
  handle_ = fd;
  path_ = buffer.data();
  return SysResult<std::string>::Ok(path_);
}

SysResult<File> RunDirectory::CreateFile(const std::string& name) {
  auto dir = Path();
  if (!dir) return SysResult<File>::Fail(dir.call(), dir.error());
  const int dirFd = static_cast<int>(handle_);
  if (std::find(names_.begin(), names_.end(), name) != names_.end()) {
    ::unlinkat(dirFd, name.c_str(), 0);
    names_.erase(std::find(names_.begin(), names_.end(), name));
  }
  const int fd = RetryOnInterrupt([&] {
    return ::openat(dirFd, name.c_str(),
                    O_RDWR | O_APPEND | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  });
  if (fd < 0) return SysResult<File>::Fail("openat", errno);
  names_.push_back(name);
  return SysResult<File>::Ok(File(fd));
}

SysResult<File> RunDirectory::OpenFile(const std::string& path) const {
  const std::string name = NameOf(path);
  if (name.empty()) return SysResult<File>::Fail("open", ENOENT);
  const int fd = RetryOnInterrupt([&] {
    return ::openat(static_cast<int>(handle_), name.c_str(),
                    O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  });
  if (fd < 0) return SysResult<File>::Fail("openat", errno);
  return SysResult<File>::Ok(File(fd));
}

void RunDirectory::RemoveFile(const std::string& path) {
  const std::string name = NameOf(path);
  if (name.empty()) return;
  // Only a name this run created is removed.
  const auto made = std::find(names_.begin(), names_.end(), name);
  if (made == names_.end()) return;
  ::unlinkat(static_cast<int>(handle_), name.c_str(), 0);
  names_.erase(made);
}

void RunDirectory::Remove() {
  if (handle_ < 0) return;
  const int dirFd = static_cast<int>(handle_);
  for (const auto& name : names_) ::unlinkat(dirFd, name.c_str(), 0);
  names_.clear();
  // The directory itself goes by its name in its parent, and only while that name still is
  // this directory: one moved away and replaced stays where it was put, empty. rmdir takes
  // only an empty directory, so whatever took the name in between loses nothing.
  struct stat mine {};
  const size_t slash = path_.find_last_of('/');
  const std::string parent = slash == 0 ? "/" : path_.substr(0, slash);
  const std::string base = path_.substr(slash + 1);
  const int parentFd =
      RetryOnInterrupt([&] { return ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
  if (parentFd >= 0) {
    struct stat there {};
    if (::fstat(dirFd, &mine) == 0 &&
        ::fstatat(parentFd, base.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0 &&
        there.st_dev == mine.st_dev && there.st_ino == mine.st_ino) {
      ::unlinkat(parentFd, base.c_str(), AT_REMOVEDIR);
    }
    ::close(parentFd);
  }
  ::close(dirFd);
  handle_ = -1;
  path_.clear();
}

}  // namespace platform
