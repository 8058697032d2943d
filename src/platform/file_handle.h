#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sys_result.h"

namespace platform {

enum class FileKind { kRegular, kDirectory, kOther };

// What a file must be for the run to take it from a place other users may reach: one it may
// append to (a log) belongs to the running user or to the administrator; one that tells it
// what to do (a settings file) also is writable by nobody else.
enum class FileTrust { kOwner, kOwnerAndWriters };

// An open file, closed when the object goes. Every descriptor is close-on-exec.
class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Never blocks, not even on a FIFO that has no writer.
  static SysResult<File> OpenReadOnly(const std::string& path);
  // An existing file, opened for reading and appending: every write lands at its end, even
  // when another process appends to it at the same time. Never blocks and never follows a
  // link; callers check Kind before they write.
  static SysResult<File> OpenForAppend(const std::string& path);
  // A new file for reading and appending; fails with EEXIST when the name is taken (a link
  // included).
  static SysResult<File> CreateForAppend(const std::string& path, unsigned mode);

  SysResult<size_t> Read(char* buffer, size_t size);
  // Writes all of `data`, going on after partial writes.
  SysStatus WriteAll(std::string_view data);
  // Appends `entry` with one write, whole or not at all: after a short write the file is
  // cut back to where the entry began.
  SysStatus AppendWhole(std::string_view entry);
  SysResult<FileKind> Kind() const;
  // The size the open file has now.
  SysResult<uint64_t> Size() const;
  // The whole content of the open file, read from where it stands: a regular file of at
  // most `maxBytes` (else EFBIG, before anything is allocated); anything else fails (EISDIR
  // for a directory).
  SysResult<std::vector<uint8_t>> ReadAllBytes(uint64_t maxBytes);
  // "" when the file meets `trust`; else why not, in words for a message: "belongs to USER"
  // or "is writable by others". The administrator is root on Linux, the Administrators group
  // on Windows (which keeps no group-or-others write bit, so only the owner is checked there).
  std::string WhyNotTrusted(FileTrust trust) const;

  bool IsOpen() const { return fd_ != kNoFile; }

 private:
  // The run's private directory creates its files through its own open directory.
  friend class RunDirectory;
  // A descriptor on Linux, a handle on Windows.
  explicit File(intptr_t fd) : fd_(fd) {}
  static SysResult<File> Open(const std::string& path, int flags, unsigned mode);
  int Fd() const { return static_cast<int>(fd_); }
  static constexpr intptr_t kNoFile = -1;
  intptr_t fd_ = kNoFile;
};

}  // namespace platform
