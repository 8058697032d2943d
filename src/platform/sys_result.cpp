#include "platform/sys_result.h"

#include <cstring>

namespace platform {

std::string DescribeError(const char* call, int error) {
  return std::string(call) + ": " + std::strerror(error);
}

}  // namespace platform
