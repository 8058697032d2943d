#include <grp.h>
#include <sys/stat.h>

#include <vector>

#include "platform/node_group.h"

namespace platform {

std::optional<std::string> NodeGroup(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0 || st.st_gid == 0) return std::nullopt;
  group entry{};
  group* found = nullptr;
  std::vector<char> buffer(16384);
  if (::getgrgid_r(st.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 ||
      found == nullptr || found->gr_name == nullptr) {
    return std::nullopt;
  }
  return std::string(found->gr_name);
}

}  // namespace platform
