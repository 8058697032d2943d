#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/sys_result.h"

namespace platform {

// A blocking IPv4 TCP client connection.
class TcpSocket {
 public:
  TcpSocket() = default;
  ~TcpSocket();
  TcpSocket(const TcpSocket&) = delete;
  TcpSocket& operator=(const TcpSocket&) = delete;

  SysStatus Create();
  // `host` is a dotted IPv4 address or a name; gives up after `timeoutMs`.
  SysStatus Connect(const std::string& host, uint16_t port, int timeoutMs);
  // Sends all of `data`; fails when the peer takes nothing for `stallTimeoutMs`.
  SysResult<size_t> SendAll(const uint8_t* data, size_t length, int stallTimeoutMs);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace platform
