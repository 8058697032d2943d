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

// True for a program in a system's program folder (/usr/bin, /usr/local/bin, ...), where
// no user keeps firmware files or can write a log.
bool IsInstalledUnderSystemPrefix();

// Where the log file lives (`first`), and where its lines go when that place cannot take
// them (`fallback`, the user's state directory's vrtqlx; empty when there is none).
struct LogPlaces {
  std::string first;
  std::string fallback;
};

// Beside the program, as the program has always kept it, for a build tree or a folder the
// program was copied to. A program installed under a system prefix on Linux (/usr/bin,
// /usr/local/bin, ...) cannot write there: its log lives where Linux keeps logs,
// /var/log/vrtqlx for root and the user's state directory for anyone else.
LogPlaces LogDirectories();

// The lines of "--help" that tell where the log goes when the program's folder cannot
// take it, in this system's terms.
std::string LogPlacesHelp();

}  // namespace platform
