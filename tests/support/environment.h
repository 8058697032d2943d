#pragma once

#include <string>

namespace testsupport {

// Sets or removes one variable of the process environment, on either system.
void SetEnvironment(const std::string& name, const std::string& value);
void UnsetEnvironment(const std::string& name);

}  // namespace testsupport
