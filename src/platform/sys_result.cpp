#include "platform/sys_result.h"

namespace platform {

std::string DescribeError(const char* call, int error) {
  return std::string(call) + ": " + ErrorText(error);
}

}  // namespace platform
