#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Watches the received stream for the printer's two queries and builds its answers:
// GS I A (firmware version) → header byte, version text, zero byte; 08 13 25 01 02 (FPGA
// device type) → '_', the digit and three zero bytes. A query split across reads is
// still seen.
class QueryResponder {
 public:
  static constexpr uint8_t kVersionHeader = 0x3D;

  QueryResponder(std::string versionText, char fpgaDigit);
  // The answers owed for `data`, in the order their queries arrived.
  std::vector<uint8_t> Feed(const uint8_t* data, size_t length);

 private:
  std::string versionText_;
  char fpgaDigit_;
  std::vector<uint8_t> recent_;  // the last few bytes, enough to hold the longer query
};
