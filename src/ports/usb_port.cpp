#include "ports/usb_port.h"

#include <algorithm>

#include "platform/device_node_probe.h"

CUsbPort::CUsbPort(PortBackends backends)
    : backends(std::move(backends)), device(this->backends.makeDeviceFile()) {}

// Stops a reader the owner forgot, so that it never outlives the object it reads into.
CUsbPort::~CUsbPort() {
  reader.Stop();
}

int CUsbPort::Configure(const PortSettings& settings) {
  rxBufferSize = settings.rxBufferSize;
  if (settings.portName.empty()) return 0;
  portName = settings.portName;
  return 1;
}

int CUsbPort::Open(int startReader) {
  if (device->IsOpen()) return isOpen ? 1 : 0;
  const auto node = ResolveNode();
  if (!node) return 0;
  openFailure.status = device->Open(*node, platform::DeviceSharing::kExclusive);
  if (!openFailure.status) return 0;
  rxBuffer.Allocate(rxBufferSize);
  isOpen = 1;
  if (startReader != 0) reader.Start([this] { ReaderCycle(); });
  return 1;
}

int CUsbPort::RehearseOpen() {
  const auto node = ResolveNode();
  if (!node) return 0;
  openFailure.status = platform::ProbeDeviceNode(*node, platform::NodeUse::kDeviceFile);
  return openFailure.status ? 1 : 0;
}

std::optional<std::string> CUsbPort::ResolveNode() {
  openFailure = PortOpenFailure{};
  auto node = backends.resolver->ResolveDevicePath(portName);
  if (!node) {
    openFailure.condition = "no printer node (usblp) found for this device";
    return std::nullopt;
  }
  openFailure.node = node.value();
  return node.value();
}

void CUsbPort::ReaderCycle() {
  uint8_t chunk[kReadRequestBytes];
  auto got = device->Read(chunk, sizeof chunk, platform::ReadLimits{});
  if (got && got.value() > 0) rxBuffer.Append(chunk, got.value());
}

int CUsbPort::Write(const uint8_t* data, int length) {
  if (!isOpen || data == nullptr || length <= 0) return 0;
  const size_t total = static_cast<size_t>(length);
  for (size_t sent = 0; sent < total;) {
    const size_t piece = std::min(kWritePieceBytes, total - sent);
    // A piece counts once the printer took it, so that the last one is not lost at close.
    auto written =
        device->Write(data + sent, piece, platform::WriteLimits{-1, kStalledWriteLimitMs},
                      platform::WriteCompletion::kTaken);
    if (!written || written.value() != piece) return 0;
    sent += piece;
  }
  return length;
}

int CUsbPort::Read(uint8_t* destination, int length, int /*waitMs*/) {
  if (!isOpen || destination == nullptr || length <= 0) return 0;
  auto got =
      device->Read(destination, static_cast<size_t>(length), platform::ReadLimits{kReadWaitMs, 0});
  return got ? static_cast<int>(got.value()) : 0;
}

void CUsbPort::Close() {
  reader.Stop();
  device->Close();
  rxBuffer.Free();
  isOpen = 0;
}
