#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ports/parallel_port.h"
#include "ports/port_backends.h"
#include "ports/port_settings.h"
#include "ports/serial_port.h"
#include "ports/usb_port.h"

enum : int32_t { kPortKindSerial = 0, kPortKindParallel = 1, kPortKindUsb = 2 };

// The kind a port name selects: "COM…" or "\\.\COM…" serial, "LPT…" parallel, anything
// else USB. Exact, case-sensitive byte comparison.
int32_t PortKindForName(const std::string& portName);

// The one object every wired link except Ethernet goes through. Configure picks the
// implementation from the port name; the other operations forward to it, and answer 0
// while there is none.
class CPortIO {
 public:
  CPortIO();
  explicit CPortIO(PortBackends backends);
  virtual ~CPortIO();
  CPortIO(const CPortIO&) = delete;
  CPortIO& operator=(const CPortIO&) = delete;

  // Replaces any earlier implementation; the owner has closed it before.
  int Configure(PortSettings settings);
  int Open(int startReader);
  // Open's decision without opening the device: 1 when nothing is in the way that can be
  // seen from outside; else 0 with LastOpenFailure saying why.
  int RehearseOpen();
  int Write(const uint8_t* data, int length);
  int Read(uint8_t* destination, int length, int waitMs);
  void Close();
  // Why the last Open of the current implementation answered 0; nothing is known while
  // there is none.
  const PortOpenFailure& LastOpenFailure() const;

  // -1 until the first Configure.
  int32_t PortKind = -1;

  // The current implementation of each kind, or nullptr.
  CSerialPort* SerialPort() const { return serialPort.get(); }
  CParallelPort* ParallelPort() const { return parallelPort.get(); }
  CUsbPort* UsbPort() const { return usbPort.get(); }

 private:
  void DeleteImplementation();

  PortBackends backends;
  std::unique_ptr<CSerialPort> serialPort;
  std::unique_ptr<CParallelPort> parallelPort;
  std::unique_ptr<CUsbPort> usbPort;
};
