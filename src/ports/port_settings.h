#pragma once

#include <array>
#include <cstdint>
#include <string>

// The one record that carries a link's configuration through the program. For an Ethernet
// link `portName` holds the printer's dotted IPv4 address and `baudRate` the TCP port.
struct PortSettings {
  std::string portName;
  int32_t baudRate = 0;
  int32_t dataBits = 0;
  int32_t stopBits = 0;  // 0 = one, 1 = one and a half, 2 = two
  int32_t parity = 0;    // 0 = none, 1 = odd, 2 = even
  int32_t flowControl = 0;  // 0 = DTR/DSR, 1 = XON/XOFF
  // Read interval, read total multiplier, read total constant, write total multiplier,
  // write total constant; milliseconds.
  std::array<uint32_t, 5> timeouts{};
  int32_t rxBufferSize = 0;
  std::array<int32_t, 6> reserved{};
};
