#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "platform/file_handle.h"

namespace platform {

namespace {

std::string UserName(uid_t uid) {
  passwd entry{};
  passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr) {
    return found->pw_name;
  }
  return "user " + std::to_string(uid);
}

}  // namespace

std::string File::WhyNotTrusted(FileTrust trust) const {
  struct stat st {};
  if (::fstat(Fd(), &st) != 0) return "cannot be checked (" + DescribeError("fstat", errno) + ")";
  if (st.st_uid != ::geteuid() && st.st_uid != 0) return "belongs to " + UserName(st.st_uid);
  // A group other than the user's own may hold someone else.
  const bool othersWrite =
      (st.st_mode & S_IWOTH) != 0 || ((st.st_mode & S_IWGRP) != 0 && st.st_gid != ::getegid());
  if (trust == FileTrust::kOwnerAndWriters && othersWrite) return "is writable by others";
  return std::string();
}

}  // namespace platform
