#pragma once

#include <string>
#include <string_view>

// What the file-system functions of both systems share, inside platform/ only.
namespace platform {

// True when `name` ends in `suffix`, ASCII letters compared without regard to case.
bool EndsWithIgnoringCase(std::string_view name, std::string_view suffix);
// True when the directory `path` names its entry in exists (the system's own twin).
bool ParentIsDirectory(const std::string& path);

}  // namespace platform
