#pragma once

#include <string>

#include "platform/file_handle.h"
#include "platform/sys_result.h"

namespace platform {

// A private directory for the temporary files of one run (mode 0700 under $TMPDIR or /tmp
// on Linux; under the system drive's \Temp\ on Windows), made on first use and removed, with
// the files put in it, when the object goes or Remove is called.
class RunDirectory {
 public:
  RunDirectory() = default;
  ~RunDirectory();
  RunDirectory(const RunDirectory&) = delete;
  RunDirectory& operator=(const RunDirectory&) = delete;

  // The directory, made now if it is not there yet.
  SysResult<std::string> Path();
  // Creates `name` inside the directory for writing, replacing an earlier file of the
  // run; the file is new (never an existing one, never through a link).
  SysResult<File> CreateFile(const std::string& name);
  // Removes the directory and its files now; a later Path makes a new one.
  void Remove();

 private:
  std::string path_;
};

}  // namespace platform
