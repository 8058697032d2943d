#pragma once

#include <string>

namespace testsupport {

// A fresh directory under $TMPDIR (or /tmp), removed with everything in it when the object
// goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // `path()` + "/" + `name`.
  std::string Join(const std::string& name) const;

 private:
  std::string path_;
};

// Writes `content` byte for byte, replacing the file; fails the test when it cannot.
void WriteFile(const std::string& path, const std::string& content);
// The whole file, or an empty string when it cannot be read (see FileExistsAt).
std::string ReadFile(const std::string& path);
bool FileExistsAt(const std::string& path);
// A hard link when `from` and `to` share a file system, else a copy; keeps the mode, so
// an executable stays runnable. A link, not a symbolic link: a program run through it
// sees its own directory as the link's.
void PlaceFile(const std::string& from, const std::string& to);

}  // namespace testsupport
