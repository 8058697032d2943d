#include <algorithm>

#include "platform/file_system.h"
#include "platform/run_directory.h"

namespace platform {

std::string RunDirectory::NameOf(const std::string& path) const {
  if (handle_ == -1) return std::string();
  const auto name = std::find_if(names_.begin(), names_.end(),
                                 [&](const std::string& n) { return JoinPath(path_, n) == path; });
  return name == names_.end() ? std::string() : *name;
}

bool RunDirectory::Holds(const std::string& path) const {
  return !NameOf(path).empty();
}

}  // namespace platform
