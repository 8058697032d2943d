#include "ports/receive_buffer.h"

#include <algorithm>
#include <cstring>

void ReceiveBuffer::Allocate(int32_t size) {
  std::lock_guard lock(rxLock);
  rxBufferSize = size > 0 ? static_cast<size_t>(size) : 0;
  rxBuffer = std::make_unique<uint8_t[]>(std::max<size_t>(rxBufferSize, 1));
  rxCount = 0;
  rxDropped = 0;
}

void ReceiveBuffer::Free() {
  std::lock_guard lock(rxLock);
  rxBuffer.reset();
  rxBufferSize = 0;
  rxCount = 0;
}

void ReceiveBuffer::Append(const uint8_t* data, size_t length) {
  std::lock_guard lock(rxLock);
  const size_t room = rxBuffer ? rxBufferSize - rxCount : 0;
  const size_t kept = std::min(room, length);
  if (kept > 0) std::memcpy(rxBuffer.get() + rxCount, data, kept);
  rxCount += kept;
  rxDropped += length - kept;
}

size_t ReceiveBuffer::Take(uint8_t* destination, size_t length) {
  std::lock_guard lock(rxLock);
  const size_t taken = std::min(length, rxCount);
  if (taken == 0) return 0;
  std::memcpy(destination, rxBuffer.get(), taken);
  std::memmove(rxBuffer.get(), rxBuffer.get() + taken, rxCount - taken);
  rxCount -= taken;
  return taken;
}

size_t ReceiveBuffer::Count() const {
  std::lock_guard lock(rxLock);
  return rxCount;
}

uint64_t ReceiveBuffer::DroppedCount() const {
  std::lock_guard lock(rxLock);
  return rxDropped;
}
