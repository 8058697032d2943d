#include "ports/serial_port.h"

#include <algorithm>

#include "platform/clock.h"
#include "platform/device_node_probe.h"
#include "platform/stop_request.h"

namespace {
// Long waits go in slices of this length, so that a stop request ends them at once.
constexpr uint32_t kWaitSliceMs = 100;

void SleepUnlessStopped(uint32_t ms) {
  platform::Clock& clock = platform::CurrentClock();
  while (ms > 0 && !platform::StopRequested()) {
    const uint32_t slice = std::min(ms, kWaitSliceMs);
    clock.SleepMs(slice);
    ms -= slice;
  }
}
}  // namespace

CSerialPort::CSerialPort(PortBackends backends)
    : backends(std::move(backends)), line(this->backends.makeSerialLine()) {}

// The owner closes the port first; closing here as well keeps a forgotten reader thread
// from outliving the object it reads into.
CSerialPort::~CSerialPort() {
  Close();
}

int CSerialPort::Configure(const PortSettings& settings) {
  baudRate = settings.baudRate;
  dataBits = settings.dataBits;
  stopBits = settings.stopBits;
  parity = settings.parity;
  flowControl = settings.flowControl;
  timeouts = settings.timeouts;
  rxBufferSize = settings.rxBufferSize;
  if (settings.portName.empty()) return 0;
  portName = settings.portName;
  return 1;
}

int CSerialPort::Open(int /*startReader*/) {
  if (reader.Running()) Close();
  ReleaseLine();
  openFailure = PortOpenFailure{};
  platform::Clock& clock = platform::CurrentClock();
  auto node = backends.portMap->Resolve(portName);
  platform::SysStatus opened = platform::SysStatus::Fail("open", ENOENT);
  if (node) {
    openFailure.node = node->devicePath;
    opened = line->Open(node->devicePath, node->noModem ? platform::ModemLines::kAbsent
                                                        : platform::ModemLines::kPresent);
  } else {
    openFailure.condition = "no device node for this port name";
  }
  // The line settles before it is looked at, whatever the open gave.
  clock.SleepMs(kOpenSettleMs);
  if (!opened) return RefuseOpen(node ? opened : platform::OkStatus());
  lineOpen = true;

  platform::SerialLineSettings lineSettings;
  if (!LineSettings(lineSettings)) return RefuseOpen(platform::OkStatus());
  if (auto configured = line->Configure(lineSettings); !configured) return RefuseOpen(configured);
  // A printer that is switched off or not cabled shows neither DSR nor CTS.
  auto modem = line->ReadModemStatus();
  if (!modem) return RefuseOpen(platform::SysStatus::Fail(modem.call(), modem.error()));
  if (!(flowControl == 0 ? modem.value().dsr : modem.value().cts)) {
    openFailure.condition = flowControl == 0
                                ? "the printer does not raise DSR (switched off or not cabled?)"
                                : "the printer does not raise CTS (switched off or not cabled?)";
    return RefuseOpen(platform::OkStatus());
  }
  timeouts = kOpenTimeouts;
  if (auto set =
          line->SetTimeouts({timeouts[0], timeouts[1], timeouts[2], timeouts[3], timeouts[4]});
      !set) {
    return RefuseOpen(set);
  }
  line->Purge();
  rxBuffer.Allocate(rxBufferSize);
  isOpen = 1;
  reader.Start([this] { ReaderCycle(); });
  return 1;
}

int CSerialPort::RehearseOpen() {
  const auto node = ResolvePortNode(*backends.portMap, portName, openFailure);
  if (!node) return 0;
  openFailure.status = platform::ProbeDeviceNode(node->devicePath, platform::NodeUse::kSerialLine);
  if (!openFailure.status) return 0;
  platform::SerialLineSettings lineSettings;
  if (!LineSettings(lineSettings)) return 0;
  openFailure.status = platform::CheckSerialLineSettings(lineSettings);
  return openFailure.status ? 1 : 0;
}

bool CSerialPort::LineSettings(platform::SerialLineSettings& settings) {
  if (flowControl != 0 && flowControl != 1) {
    openFailure.condition = "unknown flow control";
    return false;
  }
  settings.baudRate = baudRate;
  settings.dataBits = dataBits;
  settings.stopBits = stopBits;
  settings.parity = parity;
  settings.flowControl = flowControl == 0 ? platform::SerialFlowControl::kDtrDsr
                                          : platform::SerialFlowControl::kXonXoff;
  return true;
}

int CSerialPort::RefuseOpen(const platform::SysStatus& status) {
  if (!status.ok()) openFailure.status = status;
  ReleaseLine();
  return 0;
}

void CSerialPort::ReaderCycle() {
  auto waiting = line->BytesWaiting();
  if (!waiting) return;
  // Takes what waited at the start of the cycle, in requests of at most 100 bytes, so
  // that a talkative printer is drained at line speed and the cycle still ends.
  size_t left = waiting.value();
  uint8_t chunk[kReadRequestBytes];
  while (left > 0) {
    auto got = line->Read(chunk, std::min(left, sizeof chunk));
    if (!got || got.value() == 0) return;
    rxBuffer.Append(chunk, got.value());
    left -= std::min(left, got.value());
  }
}

int CSerialPort::Write(const uint8_t* data, int length) {
  if (!isOpen || data == nullptr || length <= 0) return 0;
  platform::Clock& clock = platform::CurrentClock();
  const uint64_t start = clock.NowMs();
  const size_t total = static_cast<size_t>(length);
  size_t sent = 0;
  size_t pending = 0;
  for (;;) {
    platform::SerialWrite written;
    {
      std::lock_guard lock(writeLock);
      // A retry hands over only what the line has not taken yet, and otherwise waits for
      // the queue left by the attempt before: no byte goes out twice.
      written = line->Write(data + sent, total - sent);
      sent += std::min(written.queued, total - sent);
      pending = std::min(written.pending, sent);
    }
    if (written.status && sent == total) {
      lastWriteFailed = false;
      return length;
    }
    if (platform::StopRequested()) break;
    SleepUnlessStopped(kWriteRetryPauseMs);
    if (clock.NowMs() - start >= kWriteRetryLimitMs) break;
  }
  // What is still queued has not reached the printer; and a write whose last attempt
  // failed never reports the whole length, even when the line could not say what is left.
  lastWriteFailed = true;
  return static_cast<int>(std::min(sent - pending, total - 1));
}

int CSerialPort::Read(uint8_t* destination, int length, int waitMs) {
  if (!isOpen || destination == nullptr || length <= 0) return 0;
  const size_t wanted = static_cast<size_t>(length);
  if (rxBuffer.Count() < wanted && waitMs > 0) SleepUnlessStopped(static_cast<uint32_t>(waitMs));
  return static_cast<int>(rxBuffer.Take(destination, wanted));
}

void CSerialPort::Close() {
  reader.Stop();
  ReleaseLine();
  rxBuffer.Free();
  isOpen = 0;
}

void CSerialPort::ReleaseLine() {
  if (!lineOpen) return;
  // After a failed or stopped write nothing more is owed to the printer, and a line that
  // stopped taking bytes would keep the caller for the whole write time-out again.
  line->Close(lastWriteFailed ? platform::QueuedOutput::kDiscard : platform::QueuedOutput::kDrain);
  lineOpen = false;
  lastWriteFailed = false;
}
