#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

// Bytes a port's reader has received and the caller has not read yet, in arrival order.
// It never grows past the size given at Allocate: what does not fit is dropped and
// counted, so a printer that talks more than the caller reads cannot overrun it.
class ReceiveBuffer {
 public:
  void Allocate(int32_t size);
  void Free();
  void Append(const uint8_t* data, size_t length);
  // Moves up to `length` bytes from the front into `destination`.
  size_t Take(uint8_t* destination, size_t length);
  size_t Count() const;
  uint64_t DroppedCount() const;

 private:
  mutable std::mutex rxLock;
  std::unique_ptr<uint8_t[]> rxBuffer;
  size_t rxBufferSize = 0;
  size_t rxCount = 0;
  uint64_t rxDropped = 0;
};
