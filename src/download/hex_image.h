#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The firmware image area that HEX and S-record files of two models are placed into.
inline constexpr size_t kHexImageSize = 0x40000;
// Text that fills the whole image area as records is under 1 MiB; a file far beyond this is
// no HEX text of these models and is not read as such.
inline constexpr uint64_t kLargestHexText = 64u << 20;
// What the temporary image file starts with: ESC # m k.
inline constexpr uint8_t kHexImageHeader[4] = {0x1B, 0x23, 0x6D, 0x6B};

enum class HexRecordKind { Undecided, Invalid, IntelHex, S2, S3 };

// The record kind of a file's text: the first ':' or S2 / S3 line decides it, and every
// later non-empty line must begin with the same character (letter case aside).
HexRecordKind DetectHexRecordKind(std::string_view text);

// Places the data bytes of Intel HEX or S-record text into a 262,144-byte area of 0xFF.
// Checksums are not verified. Fails on text of no known kind, on more data bytes than the
// area holds, on a byte whose address lies outside the area, on a data record shorter
// than its byte count says, and on text without its end record (Intel HEX type 01,
// S7 / S8 / S9), so no image is ever sent with bytes missing. `why`, when given, gets the
// reason, naming the line where there is one.
bool BuildHexImage(std::string_view text, std::vector<uint8_t>& area, std::string* why = nullptr);
