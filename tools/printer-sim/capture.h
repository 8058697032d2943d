#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "crc32.h"

// Everything the printer received: stored in the output file as it came, counted, and
// checksummed, with the time from the first byte to the last.
class Capture {
 public:
  Capture() = default;
  ~Capture();
  Capture(const Capture&) = delete;
  Capture& operator=(const Capture&) = delete;

  bool Open(const std::string& path);
  void Store(const uint8_t* data, size_t length);
  uint64_t ByteCount() const { return bytes_; }
  // "received <bytes> bytes crc32 <8 hex> in <seconds> s"
  std::string Summary() const;

 private:
  std::FILE* file_ = nullptr;
  Crc32 crc_;
  uint64_t bytes_ = 0;
  std::chrono::steady_clock::time_point first_{};
  std::chrono::steady_clock::time_point last_{};
};
