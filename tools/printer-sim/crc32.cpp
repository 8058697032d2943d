#include "crc32.h"

Crc32::Crc32() {
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table_[i] = c;
  }
}

void Crc32::Update(const uint8_t* data, size_t length) {
  for (size_t i = 0; i < length; ++i) state_ = table_[(state_ ^ data[i]) & 0xFFu] ^ (state_ >> 8);
}
