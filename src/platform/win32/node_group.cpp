#include "platform/node_group.h"

namespace platform {

// Windows grants a device to users, not through a group one joins: there is no group to
// advise.
std::optional<std::string> NodeGroup(const std::string&) {
  return std::nullopt;
}

}  // namespace platform
