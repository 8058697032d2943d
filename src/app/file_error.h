#pragma once

#include <stdexcept>
#include <string>

// The settings-file test found a file it cannot open for a reason other than its absence.
class FileError : public std::runtime_error {
 public:
  FileError(const std::string& what, int cause) : std::runtime_error(what), cause(cause) {}
  int cause;  // errno of the failed open
};
