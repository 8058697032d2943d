#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "ports/polling_reader.h"
#include "ports/port_backends.h"
#include "ports/port_open_failure.h"
#include "ports/port_settings.h"
#include "ports/receive_buffer.h"

// A USB printer reached by its device-interface path (or a device node path). Written in
// pieces of 4096 bytes; read straight from the device. The reader thread runs only when
// asked for at open.
class CUsbPort {
 public:
  static constexpr size_t kWritePieceBytes = 4096;
  // A piece the printer has not taken within this long fails the write, so a printer that
  // stops reading cannot hold the program for ever.
  static constexpr int64_t kStalledWriteLimitMs = 30000;
  static constexpr size_t kReadRequestBytes = 100;
  // A read waits this long for the printer to answer; a synchronous read of a printer
  // that never answers must not hold the caller for ever.
  static constexpr int64_t kReadWaitMs = 5000;

  explicit CUsbPort(PortBackends backends = PortBackends::System());
  virtual ~CUsbPort();
  CUsbPort(const CUsbPort&) = delete;
  CUsbPort& operator=(const CUsbPort&) = delete;

  // 1 when `portName` is not empty.
  int Configure(const PortSettings& settings);
  // 1 at once when already open.
  int Open(int startReader);
  // Open's decision taken without opening anything: 1 when the printer's node is found and
  // may be opened; else 0 with LastOpenFailure saying why, as Open would.
  int RehearseOpen();
  // `length` when every piece went out, else 0.
  int Write(const uint8_t* data, int length);
  // `waitMs` is ignored; the receive buffer is not consulted.
  int Read(uint8_t* destination, int length, int waitMs);
  void Close();

  bool IsOpen() const { return isOpen.load() != 0; }
  // Why the last Open answered 0.
  const PortOpenFailure& LastOpenFailure() const { return openFailure; }
  bool ReaderRunning() const { return reader.Running(); }
  // What the reader thread has received (it is started only on request).
  size_t BufferedByteCount() const { return rxBuffer.Count(); }
  uint64_t DroppedByteCount() const { return rxBuffer.DroppedCount(); }

 private:
  void ReaderCycle();
  // The printer's node for Open and RehearseOpen; the last open failure starts afresh and
  // names it, or says that none was found.
  std::optional<std::string> ResolveNode();

  PortBackends backends;
  std::unique_ptr<platform::DeviceFile> device;
  PollingReader reader;
  ReceiveBuffer rxBuffer;
  std::string portName;
  int32_t rxBufferSize = 0;
  std::atomic<int> isOpen{0};
  PortOpenFailure openFailure;
};
