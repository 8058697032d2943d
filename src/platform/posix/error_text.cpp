#include <cstring>

#include "platform/sys_result.h"

namespace platform {

std::string ErrorText(int error) {
  return std::strerror(error);
}

}  // namespace platform
