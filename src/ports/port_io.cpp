#include "ports/port_io.h"

int32_t PortKindForName(const std::string& portName) {
  if (portName.compare(0, 3, "COM") == 0 || portName.compare(0, 7, "\\\\.\\COM") == 0) {
    return kPortKindSerial;
  }
  if (portName.compare(0, 3, "LPT") == 0) return kPortKindParallel;
  return kPortKindUsb;
}

CPortIO::CPortIO() : CPortIO(PortBackends::System()) {}

CPortIO::CPortIO(PortBackends backends) : backends(std::move(backends)) {}

CPortIO::~CPortIO() = default;

void CPortIO::DeleteImplementation() {
  serialPort.reset();
  parallelPort.reset();
  usbPort.reset();
}

int CPortIO::Configure(PortSettings settings) {
  DeleteImplementation();
  PortKind = PortKindForName(settings.portName);
  switch (PortKind) {
    case kPortKindSerial:
      serialPort = std::make_unique<CSerialPort>(backends);
      return serialPort->Configure(settings);
    case kPortKindParallel:
      parallelPort = std::make_unique<CParallelPort>(backends);
      return parallelPort->Configure(settings);
    default:
      usbPort = std::make_unique<CUsbPort>(backends);
      return usbPort->Configure(settings);
  }
}

int CPortIO::Open(int startReader) {
  switch (PortKind) {
    case kPortKindSerial:
      return serialPort ? serialPort->Open(startReader) : 0;
    case kPortKindParallel:
      return parallelPort ? parallelPort->Open(startReader) : 0;
    case kPortKindUsb:
      return usbPort ? usbPort->Open(startReader) : 0;
    default:
      return 0;
  }
}

int CPortIO::RehearseOpen() {
  switch (PortKind) {
    case kPortKindSerial:
      return serialPort ? serialPort->RehearseOpen() : 0;
    case kPortKindParallel:
      return parallelPort ? parallelPort->RehearseOpen() : 0;
    case kPortKindUsb:
      return usbPort ? usbPort->RehearseOpen() : 0;
    default:
      return 0;
  }
}

int CPortIO::Write(const uint8_t* data, int length) {
  switch (PortKind) {
    case kPortKindSerial:
      return serialPort ? serialPort->Write(data, length) : 0;
    case kPortKindParallel:
      return parallelPort ? parallelPort->Write(data, length) : 0;
    case kPortKindUsb:
      return usbPort ? usbPort->Write(data, length) : 0;
    default:
      return 0;
  }
}

int CPortIO::Read(uint8_t* destination, int length, int waitMs) {
  switch (PortKind) {
    case kPortKindSerial:
      return serialPort ? serialPort->Read(destination, length, waitMs) : 0;
    case kPortKindParallel:
      return parallelPort ? parallelPort->Read(destination, length, waitMs) : 0;
    case kPortKindUsb:
      return usbPort ? usbPort->Read(destination, length, waitMs) : 0;
    default:
      return 0;
  }
}

void CPortIO::Close() {
  switch (PortKind) {
    case kPortKindSerial:
      if (serialPort) serialPort->Close();
      break;
    case kPortKindParallel:
      if (parallelPort) parallelPort->Close();
      break;
    case kPortKindUsb:
      if (usbPort) usbPort->Close();
      break;
    default:
      break;
  }
}

const PortOpenFailure& CPortIO::LastOpenFailure() const {
  static const PortOpenFailure kNone;
  if (serialPort) return serialPort->LastOpenFailure();
  if (parallelPort) return parallelPort->LastOpenFailure();
  if (usbPort) return usbPort->LastOpenFailure();
  return kNone;
}
