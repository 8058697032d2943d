#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/comm_timeouts.h"
#include "platform/serial_output.h"
#include "platform/sys_result.h"

namespace platform {

// Whether a line has modem status lines. A pseudo-terminal or an adapter without them is
// marked in the port map; its DSR and CTS then read as on.
enum class ModemLines { kPresent, kAbsent };

enum class SerialFlowControl {
  kDtrDsr,   // output waits while DSR is low; DTR raised, RTS dropped
  kXonXoff,  // XON/XOFF both ways plus CTS output flow; DTR dropped, RTS handshake
};

// What closing does with output still queued for the printer.
enum class QueuedOutput {
  kDrain,    // lets it leave, within the write total time-out for that many bytes
  kDiscard,  // throws it away at once: the line is known not to take it (a failed write)
};

struct SerialLineSettings {
  int32_t baudRate = 0;
  int32_t dataBits = 8;
  int32_t stopBits = 0;  // 0 = one, 1 = one and a half, 2 = two
  int32_t parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
  SerialFlowControl flowControl = SerialFlowControl::kDtrDsr;
};

struct ModemStatus {
  bool dsr = false;
  bool cts = false;
};

// One serial line, opened exclusively. Reads never block: the caller asks how many bytes
// wait and takes them. A write completes when its bytes have left the machine, within the
// write total time-out. With XON/XOFF, the printer's XOFF and XON never reach the reader:
// from the read that takes an XOFF until the one that takes an XON, the output is held.
class SerialLine {
 public:
  virtual ~SerialLine() = default;
  virtual SysStatus Open(const std::string& devicePath, ModemLines modemLines) = 0;
  virtual SysStatus Configure(const SerialLineSettings& settings) = 0;
  virtual SysResult<ModemStatus> ReadModemStatus() = 0;
  virtual SysStatus SetTimeouts(const CommTimeouts& timeouts) = 0;
  // Discards whatever waits in either direction.
  virtual SysStatus Purge() = 0;
  // Hands `length` bytes to the line and waits for the output queue to drain, within the
  // write total time-out for that many bytes. Reports how many were handed over; the
  // status fails when they could not all be handed over or have not all left in time.
  // Length 0 only waits for what an earlier write left queued.
  virtual SerialWrite Write(const uint8_t* data, size_t length) = 0;
  virtual SysResult<size_t> BytesWaiting() = 0;
  virtual SysResult<size_t> Read(uint8_t* buffer, size_t length) = 0;
  // Lets the queued output leave or throws it away, restores the line's settings as they
  // were before Open and releases it.
  virtual void Close(QueuedOutput queued) = 0;
};

// Whether a line here takes `settings`, as Configure decides before it touches the line
// (fails with "configure" and EINVAL when not); the driver may still refuse a rate.
SysStatus CheckSerialLineSettings(const SerialLineSettings& settings);

std::unique_ptr<SerialLine> CreateSerialLine();

}  // namespace platform
