#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "ports/port_backends.h"
#include "ports/port_open_failure.h"
#include "ports/port_settings.h"

// An LPT port: the device node opened as a plain file, unshared, with the time-outs the
// settings carry. No reader thread, no receive buffer.
class CParallelPort {
 public:
  // Read time-outs used on the Windows 95/98/Me family instead of the carried ones.
  static constexpr uint32_t kWin9xReadTimeoutMs = 100;
  // A write gives up when the printer has taken nothing for this long, so a printer that
  // stops reading cannot hold the program for ever; a slow one that keeps reading is fine.
  static constexpr int64_t kStalledWriteLimitMs = 30000;

  explicit CParallelPort(PortBackends backends = PortBackends::System());
  virtual ~CParallelPort();
  CParallelPort(const CParallelPort&) = delete;
  CParallelPort& operator=(const CParallelPort&) = delete;

  // 1 when `portName` begins with "LPT" (case-sensitive).
  int Configure(const PortSettings& settings);
  // `startReader` is ignored. 1 at once when already open.
  int Open(int startReader);
  // Open's decision taken without opening anything: 1 when the node is there and may be
  // opened; else 0 with LastOpenFailure saying why, as Open would.
  int RehearseOpen();
  int Write(const uint8_t* data, int length);
  // `waitMs` is ignored: the read waits as the port's own read time-outs say.
  int Read(uint8_t* destination, int length, int waitMs);
  void Close();

  bool IsOpen() const { return isOpen != 0; }
  // Why the last Open answered 0.
  const PortOpenFailure& LastOpenFailure() const { return openFailure; }
  const std::array<uint32_t, 5>& Timeouts() const { return timeouts; }

 private:
  PortBackends backends;
  std::unique_ptr<platform::DeviceFile> device;
  std::string portName;
  std::array<uint32_t, 5> timeouts{};
  int isOpen = 0;
  PortOpenFailure openFailure;
};
