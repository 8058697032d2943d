#pragma once

#include <string>

namespace platform {

// Adds one line about a finished run to the system's log, where an administrator audits
// what ran on the machine. On Linux that is syslog(3) (facility user, tag "vrtqlx"; the
// journal takes it), for a program installed under a system prefix only: a build tree or a
// copied folder keeps its record in its own log file. `failed` marks the line an error.
void RecordRunInSystemLog(bool failed, const std::string& line);

}  // namespace platform
