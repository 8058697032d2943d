#pragma once

#include <string>

#include "ports/port_settings.h"

namespace portstest {

// The record a download hands a port: 115200 baud, 8 data bits, the fixed time-outs and
// receive buffer.
inline PortSettings LinkSettings(const std::string& name) {
  PortSettings settings;
  settings.portName = name;
  settings.baudRate = 115200;
  settings.dataBits = 8;
  settings.timeouts = {10, 10, 10, 0, 0};
  settings.rxBufferSize = 8192;
  return settings;
}

}  // namespace portstest
