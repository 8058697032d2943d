#pragma once

#include <stdlib.h>

#include <optional>
#include <string>

#include "support/environment.h"

namespace testsupport {

// Sets one environment variable for the life of the object, then puts back what was there.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = getenv(name)) old_ = old;
    SetEnvironment(name, value);
  }
  ~ScopedEnv() {
    if (old_) {
      SetEnvironment(name_, *old_);
    } else {
      UnsetEnvironment(name_);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

}  // namespace testsupport
