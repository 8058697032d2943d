#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/device_file.h"
#include "platform/sys_result.h"

namespace platform {

// What a bounded write to a device node asks of the system; tests answer with a simulated
// device on a virtual clock.
class DeviceOutput {
 public:
  virtual ~DeviceOutput() = default;
  // Hands bytes to the driver without waiting; Ok(0) when it has no room now.
  virtual SysResult<size_t> WriteSome(const uint8_t* data, size_t length) = 0;
  // Waits until the driver says it takes bytes again, at most `ms`; true when it said so.
  virtual bool WaitForRoom(int ms) = 0;
  virtual void Pause(int ms) = 0;
  virtual uint64_t NowMs() = 0;
};

// Writes until every byte is handed over, `limits.totalMs` runs out, the device has taken
// nothing for `limits.stallMs`, a stop is requested or the device fails. Reports how many
// bytes went out; fails only when none did.
SysResult<size_t> WriteWithinLimits(DeviceOutput& device, const uint8_t* data, size_t length,
                                    WriteLimits limits);

}  // namespace platform
