#pragma once

#include <optional>
#include <string>

namespace platform {

// The name of the group that owns the file or device node at `path`, when it is a group
// other than the superuser's (membership of which is no advice to give).
std::optional<std::string> NodeGroup(const std::string& path);

}  // namespace platform
