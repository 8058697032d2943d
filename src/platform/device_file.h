#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/comm_timeouts.h"
#include "platform/sys_result.h"

namespace platform {

enum class DeviceSharing { kExclusive, kShared };

// How long a read may take: up to totalMs for the first bytes (0 = only what is already
// there, negative = without limit); then, when intervalMs is above 0, further bytes are
// gathered while each arrives within intervalMs of the last and totalMs has not run out.
struct ReadLimits {
  int64_t totalMs = 0;
  int64_t intervalMs = 0;
};

// How long a write may take: `totalMs` in all, and `stallMs` while the device takes no
// byte (each negative = without limit).
struct WriteLimits {
  int64_t totalMs = -1;
  int64_t stallMs = -1;
};

// When a written byte counts: once the driver has it, or once the device has taken it (the
// driver's transfer of it has completed, and its error is the write's).
enum class WriteCompletion { kHandedOver, kTaken };

// A device node opened as a plain file (a parallel port, a USB printer).
class DeviceFile {
 public:
  virtual ~DeviceFile() = default;
  virtual SysStatus Open(const std::string& path, DeviceSharing sharing) = 0;
  virtual bool IsOpen() const = 0;
  // A parallel port on Windows takes the link's time-outs and is purged (pending transfers
  // aborted, both queues cleared) once open; what the two calls answer does not matter.
  // Other systems and devices have nothing to set.
  virtual void ApplyPortSetup(const CommTimeouts& /*timeouts*/) {}
  // Writes all `length` bytes unless a limit runs out, a stop is requested or the device
  // fails; reports how many went out, and fails only when none did.
  virtual SysResult<size_t> Write(const uint8_t* data, size_t length, WriteLimits limits,
                                  WriteCompletion completion) = 0;
  virtual SysResult<size_t> Read(uint8_t* buffer, size_t length, ReadLimits limits) = 0;
  virtual void Close() = 0;
};

std::unique_ptr<DeviceFile> CreateDeviceFile();

}  // namespace platform
