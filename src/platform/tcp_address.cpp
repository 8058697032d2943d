#include "platform/tcp_socket.h"

namespace platform {

bool IsUnicastHostAddress(uint32_t address) {
  const uint32_t top = address >> 24;
  return top != 0 && top < 224;
}

}  // namespace platform
