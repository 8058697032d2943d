#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "ports/polling_reader.h"
#include "ports/port_backends.h"
#include "ports/port_open_failure.h"
#include "ports/port_settings.h"
#include "ports/receive_buffer.h"

// A COM port. Open checks that the printer is there (DSR or CTS raised) and starts a
// reader that drains the line every 10 ms into the receive buffer; Read serves from that
// buffer. A write completes once its bytes have left the machine; it is retried for up to
// 20 s, without sending a byte twice. Close lets queued bytes leave, unless the last write
// failed: then it throws them away at once.
class CSerialPort {
 public:
  // The time-outs every open port gets, whatever the settings carried.
  static constexpr std::array<uint32_t, 5> kOpenTimeouts{10, 10, 100, 5, 3000};
  static constexpr uint32_t kOpenSettleMs = 200;
  static constexpr uint32_t kWriteRetryPauseMs = 1500;
  static constexpr uint32_t kWriteRetryLimitMs = 20000;
  static constexpr size_t kReadRequestBytes = 100;

  explicit CSerialPort(PortBackends backends = PortBackends::System());
  virtual ~CSerialPort();
  CSerialPort(const CSerialPort&) = delete;
  CSerialPort& operator=(const CSerialPort&) = delete;

  // 1 when `portName` is not empty.
  int Configure(const PortSettings& settings);
  // `startReader` is ignored: the reader always runs while the port is open.
  int Open(int startReader);
  // Open's decision taken without opening anything: the node (looked at, not opened), the
  // flow control and the line settings. 1 when nothing is in the way; else 0 with
  // LastOpenFailure saying why, as Open would. Whether the printer raises DSR or CTS, and
  // whether another program holds the line, only Open finds out.
  int RehearseOpen();
  int Write(const uint8_t* data, int length);
  // Waits `waitMs` once when fewer than `length` bytes are buffered, then takes what is
  // there.
  int Read(uint8_t* destination, int length, int waitMs);
  void Close();

  bool IsOpen() const { return isOpen.load() != 0; }
  // Why the last Open answered 0.
  const PortOpenFailure& LastOpenFailure() const { return openFailure; }
  const std::array<uint32_t, 5>& Timeouts() const { return timeouts; }
  // Received bytes that found the receive buffer full.
  uint64_t DroppedByteCount() const { return rxBuffer.DroppedCount(); }

 private:
  void ReaderCycle();
  // Notes the failed call, if one failed, releases the line and answers 0.
  int RefuseOpen(const platform::SysStatus& status);
  // The settings the line is configured with; false (and the open failure's condition set)
  // for a flow control the port does not know.
  bool LineSettings(platform::SerialLineSettings& settings);
  void ReleaseLine();

  PortBackends backends;
  std::unique_ptr<platform::SerialLine> line;
  bool lineOpen = false;
  PollingReader reader;
  ReceiveBuffer rxBuffer;
  std::mutex writeLock;
  std::string portName;
  int32_t baudRate = 0;
  int32_t dataBits = 0;
  int32_t stopBits = 0;
  int32_t parity = 0;
  int32_t flowControl = 0;
  std::array<uint32_t, 5> timeouts{};
  int32_t rxBufferSize = 0;
  std::atomic<int> isOpen{0};
  // The last write gave up; closing then throws away what the line still holds.
  std::atomic<bool> lastWriteFailed{false};
  PortOpenFailure openFailure;
};
