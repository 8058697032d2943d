#include "ports/parallel_port.h"

#include "platform/comm_timeouts.h"
#include "platform/device_node_probe.h"

CParallelPort::CParallelPort(PortBackends backends)
    : backends(std::move(backends)), device(this->backends.makeDeviceFile()) {}

CParallelPort::~CParallelPort() = default;

int CParallelPort::Configure(const PortSettings& settings) {
  timeouts = settings.timeouts;
  if (settings.portName.empty() || settings.portName.compare(0, 3, "LPT") != 0) return 0;
  portName = settings.portName;
  return 1;
}

int CParallelPort::Open(int /*startReader*/) {
  if (device->IsOpen()) return isOpen ? 1 : 0;
  const auto node = ResolvePortNode(*backends.portMap, portName, openFailure);
  if (!node) return 0;
  openFailure.status = device->Open(node->devicePath, platform::DeviceSharing::kExclusive);
  if (!openFailure.status) return 0;
  if (backends.isWin9xPlatform && backends.isWin9xPlatform()) {
    timeouts[0] = timeouts[1] = timeouts[2] = kWin9xReadTimeoutMs;
  }
  device->ApplyPortSetup({timeouts[0], timeouts[1], timeouts[2], timeouts[3], timeouts[4]});
  isOpen = 1;
  return 1;
}

int CParallelPort::RehearseOpen() {
  const auto node = ResolvePortNode(*backends.portMap, portName, openFailure);
  if (!node) return 0;
  openFailure.status = platform::ProbeDeviceNode(node->devicePath, platform::NodeUse::kDeviceFile);
  return openFailure.status ? 1 : 0;
}

int CParallelPort::Write(const uint8_t* data, int length) {
  if (!isOpen || data == nullptr || length <= 0) return 0;
  const size_t count = static_cast<size_t>(length);
  platform::WriteLimits limits;
  limits.totalMs = platform::TotalTimeoutMs(timeouts[3], timeouts[4], count);
  limits.stallMs = kStalledWriteLimitMs;
  auto written = device->Write(data, count, limits, platform::WriteCompletion::kHandedOver);
  return written ? static_cast<int>(written.value()) : 0;
}

int CParallelPort::Read(uint8_t* destination, int length, int /*waitMs*/) {
  if (!isOpen || destination == nullptr || length <= 0) return 0;
  const size_t count = static_cast<size_t>(length);
  platform::ReadLimits limits;
  limits.totalMs = platform::TotalTimeoutMs(timeouts[1], timeouts[2], count);
  limits.intervalMs = timeouts[0];
  auto got = device->Read(destination, count, limits);
  return got ? static_cast<int>(got.value()) : 0;
}

void CParallelPort::Close() {
  device->Close();
  isOpen = 0;
}
