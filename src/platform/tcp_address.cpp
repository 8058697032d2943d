#include <cerrno>

#include "platform/tcp_socket.h"

namespace platform {

bool IsUnicastHostAddress(uint32_t address) {
  const uint32_t top = address >> 24;
  return top != 0 && top < 224;
}

SysResult<uint32_t> TcpSocket::Destination(const std::string& host, int timeoutMs) {
  auto address = Resolve(host, timeoutMs);
  if (address && !IsUnicastHostAddress(address.value())) {
    return SysResult<uint32_t>::Fail("connect", EADDRNOTAVAIL);
  }
  return address;
}

SysStatus TcpSocket::CheckDestination(const std::string& host, int timeoutMs) {
  auto address = Destination(host, timeoutMs);
  if (!address) return SysStatus::Fail(address.call(), address.error());
  return OkStatus();
}

}  // namespace platform
