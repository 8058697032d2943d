#pragma once

#include <string>

#include "platform/sys_result.h"

namespace platform {

// The process's current directory, of any length.
SysResult<std::string> CurrentDirectory();

// The directory of the running program file (from /proc/self/exe), without a trailing "/".
SysResult<std::string> ProgramDirectory();

// The user's directory for state data: $XDG_STATE_HOME when it is an absolute path, else
// $HOME/.local/state. Fails with ENOENT when neither can be told. Nothing is created.
SysResult<std::string> UserStateDirectory();

}  // namespace platform
