#pragma once

#include <windows.h>

namespace platform {

// Security attributes whose access list lets in the running user alone, with full control
// handed down to the files inside, and nothing of what the parent directory passes down:
// other users of the machine cannot read what the run keeps there. attributes() is null
// when the user's identity could not be read.
class OwnerOnlyAccess {
 public:
  OwnerOnlyAccess();
  ~OwnerOnlyAccess();
  OwnerOnlyAccess(const OwnerOnlyAccess&) = delete;
  OwnerOnlyAccess& operator=(const OwnerOnlyAccess&) = delete;

  SECURITY_ATTRIBUTES* attributes();

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  SECURITY_ATTRIBUTES attributes_{};
};

}  // namespace platform
