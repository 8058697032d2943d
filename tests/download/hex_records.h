#pragma once

// Builders of HEX and S-record text for the conversion's tests.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "download/hex_image.h"

namespace hextest {

// The image of `text` completed by the end record of its kind (placement is what these
// tests look at; text cut short has a test of its own).
inline std::vector<uint8_t> Image(const std::string& text, bool expectOk = true) {
  std::vector<uint8_t> area;
  const bool intel = !text.empty() && text[0] == ':';
  const std::string end = text.empty() ? "" : intel ? ":00000001FF\n" : "S9030000FC\n";
  EXPECT_EQ(BuildHexImage(text + end, area), expectOk) << text;
  return area;
}

// An Intel HEX data record of `count` bytes of `value` at `address`, checksum left as 00.
inline std::string DataRecord(int address, int count, int value) {
  char head[16];
  std::snprintf(head, sizeof head, ":%02X%04X00", count & 0xFF, address & 0xFFFF);
  std::string line = head;
  char byte[3];
  std::snprintf(byte, sizeof byte, "%02X", value & 0xFF);
  for (int i = 0; i < count; ++i) line += byte;
  return line + "00\r\n";
}

// `bytes` as upper-case hex digit pairs, followed by the pair of `checksum(sum of bytes)`.
template <typename Checksum>
std::string HexWithChecksum(const std::vector<int>& bytes, Checksum checksum) {
  std::string text;
  char pair[3];
  int sum = 0;
  for (int b : bytes) {
    std::snprintf(pair, sizeof pair, "%02X", b & 0xFF);
    text += pair;
    sum += b;
  }
  std::snprintf(pair, sizeof pair, "%02X", checksum(sum) & 0xFF);
  return text + pair;
}

// Records with correct checksums, so that other tools read them too.
inline std::string IntelRecord(int type, int address, const std::vector<int>& data) {
  std::vector<int> bytes{static_cast<int>(data.size()), (address >> 8) & 0xFF, address & 0xFF,
                         type};
  bytes.insert(bytes.end(), data.begin(), data.end());
  return ":" + HexWithChecksum(bytes, [](int sum) { return -sum; }) + "\n";
}

inline std::string S3Record(uint32_t address, const std::vector<int>& data) {
  std::vector<int> bytes{static_cast<int>(data.size() + 5)};
  for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back((address >> shift) & 0xFF);
  bytes.insert(bytes.end(), data.begin(), data.end());
  return "S3" + HexWithChecksum(bytes, [](int sum) { return ~sum; }) + "\n";
}

}  // namespace hextest
