#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sys_result.h"

namespace platform {

class File;

enum class FileState { kReadable, kMissing };

// Opens `path` for reading and closes it again at once. kMissing only when the file itself
// is absent from a directory that exists; a missing directory on the way, a directory in
// place of the file (EISDIR) and every other open failure come back as failures.
SysResult<FileState> ProbeReadable(const std::string& path);

// The whole content of the open regular file `file` (anything else fails) of at most `maxBytes`
// bytes; a longer file fails with EFBIG, so a hostile file cannot make the program read
// without bound.
SysResult<std::string> ReadWholeFile(File& file, size_t maxBytes);

// Names of the entries of `dir` that end in `suffix`, compared without regard to ASCII
// letter case, in the order the directory hands them out. Names of any length are kept.
SysResult<std::vector<std::string>> ListDirectory(const std::string& dir, std::string_view suffix);

// Whether `path` names a file whatever the working directory is: one starting with "/" here;
// on Windows also a drive ("C:\fw", "C:/fw"), a share ("\\server\share") or a "\" root.
bool IsAbsolutePath(const std::string& path);

// `name` inside `dir`, joined with the system's own separator.
std::string JoinPath(const std::string& dir, const std::string& name);

// Creates `path` and every missing parent with `mode`; an existing directory is success.
SysStatus MakeDirectories(const std::string& path, unsigned mode);

}  // namespace platform
