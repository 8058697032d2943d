#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_handle.h"
#include "platform/sys_result.h"

namespace platform {

// A private directory for the temporary files of one run (mode 0700 under $TMPDIR or /tmp
// on Linux; under the system drive's \Temp\ on Windows), made on first use and removed, with
// the files put in it, when the object goes or Remove is called.
//
// The directory's parent may belong to another user, who can move the run's directory away
// and put a link or a directory of their own in its place. So the directory is held open from
// the moment it is made, checked to be the one made (a directory of this user, for this user
// alone), and every file in it is created, read and removed through that open directory,
// never through its name. Only the names this run created are removed.
class RunDirectory {
 public:
  RunDirectory() = default;
  ~RunDirectory();
  RunDirectory(const RunDirectory&) = delete;
  RunDirectory& operator=(const RunDirectory&) = delete;

  // The directory's name, for messages and to join file names to; made now if it is not
  // there yet.
  SysResult<std::string> Path();
  // Creates `name` inside the directory for writing, replacing an earlier file of the
  // run; the file is new (never an existing one, never through a link).
  SysResult<File> CreateFile(const std::string& name);
  // Whether `path` names a file this run created in the directory: Path() joined to it.
  bool Holds(const std::string& path) const;
  // Such a file opened for reading through the open directory.
  SysResult<File> OpenFile(const std::string& path) const;
  // Removes such a file now.
  void RemoveFile(const std::string& path);
  // Removes the files this run created and the directory now; a later Path makes a new one.
  void Remove();

 private:
  // The name inside the directory of a `path` that Holds.
  std::string NameOf(const std::string& path) const;

  std::string path_;
  // A descriptor of the directory on Linux, a handle on Windows.
  intptr_t handle_ = -1;
  std::vector<std::string> names_;
};

}  // namespace platform
