#pragma once

#include <string>

#include "platform/sys_result.h"

namespace platform {

// A private directory (mode 0700) for the temporary files of one run, made under $TMPDIR
// or /tmp on first use and removed, with the files put in it, when the object goes.
class RunDirectory {
 public:
  RunDirectory() = default;
  ~RunDirectory();
  RunDirectory(const RunDirectory&) = delete;
  RunDirectory& operator=(const RunDirectory&) = delete;

  // The directory, made now if it is not there yet.
  SysResult<std::string> Path();
  // Creates `name` inside the directory for writing, replacing an earlier file of the
  // run; never follows a link. Answers the open descriptor.
  SysResult<int> CreateFile(const std::string& name);

 private:
  std::string path_;
};

}  // namespace platform
