#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// CRC-32 as zlib and `crc32` compute it (reflected, polynomial 0xEDB88320), fed in pieces.
class Crc32 {
 public:
  Crc32();
  void Update(const uint8_t* data, size_t length);
  uint32_t Value() const { return ~state_; }

 private:
  std::array<uint32_t, 256> table_{};
  uint32_t state_ = 0xFFFFFFFFu;
};
