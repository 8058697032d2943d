#include "download/hex_image.h"

#include <cstdlib>
#include <string>
#include <utility>

namespace {

// Calls `visit` with each line, without its line end (LF, or CR LF as text mode reads it).
template <typename Visit>
bool ForEachLine(std::string_view text, Visit visit) {
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!visit(line)) return false;
    at = end + 1;
  }
  return true;
}

// The value of `length` characters from `at`, read as the C library's base-16 string to
// integer conversion reads them (leading blanks and sign allowed, stops at the first
// character that is no digit). Characters past the line's end are not there: nullopt-like
// false answer.
bool HexValue(std::string_view line, size_t at, size_t length, long long& value) {
  if (at + length > line.size()) return false;
  // Plain hex digits, by far the common case, are read directly; anything else (blanks,
  // signs, a "0x" prefix, stray characters) goes through the library conversion.
  long long direct = 0;
  size_t i = 0;
  for (; i < length; ++i) {
    const char c = line[at + i];
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      break;
    }
    direct = direct * 16 + digit;
  }
  if (i == length) {
    value = direct;
    return true;
  }
  const std::string digits(line.substr(at, length));
  value = std::strtoll(digits.c_str(), nullptr, 16);
  return true;
}

class ImageArea {
 public:
  explicit ImageArea(std::vector<uint8_t>& area) : area_(area) {
    area_.assign(kHexImageSize, 0xFF);
  }
  bool Place(long long address, long long value) {
    if (placed_ == kHexImageSize) return false;
    if (address < 0 || address >= static_cast<long long>(kHexImageSize)) return false;
    area_[static_cast<size_t>(address)] = static_cast<uint8_t>(value);
    ++placed_;
    return true;
  }

 private:
  std::vector<uint8_t>& area_;
  size_t placed_ = 0;
};

// `addressBase` is what the last extended address record set: a segment (type 02) moves
// the data by its value times 16, a linear address (type 04) gives the upper 16 bits of
// the address. Start-address records (03, 05) say where the printer would jump; they
// place nothing.
bool PlaceIntelHexLine(std::string_view line, ImageArea& area, long long& addressBase) {
  if (line.size() <= 8) return true;  // no record type: nothing to place
  long long value = 0;
  switch (line[8]) {
    case '0': {
      long long count = 0;
      long long offset = 0;
      if (!HexValue(line, 1, 2, count) || !HexValue(line, 3, 4, offset)) return false;
      count = static_cast<uint8_t>(count);
      for (long long i = 0; i < count; ++i) {
        if (!HexValue(line, 9 + 2 * static_cast<size_t>(i), 2, value)) return false;
        if (!area.Place(addressBase + offset + i, value)) return false;
      }
      return true;
    }
    case '2':
      if (!HexValue(line, 9, 4, value)) return false;
      addressBase = value << 4;
      return true;
    case '4':
      if (!HexValue(line, 9, 4, value)) return false;
      addressBase = value << 16;
      return true;
    default:
      return true;
  }
}

bool PlaceSRecordLine(std::string_view line, size_t addressWidth, ImageArea& area) {
  if (line.size() < 2 || (line[1] != '2' && line[1] != '3')) return true;
  long long count = 0;
  long long address = 0;
  if (!HexValue(line, 2, 2, count) || !HexValue(line, 4, addressWidth, address)) return false;
  const long long dataBytes = static_cast<long long>(static_cast<uint8_t>(count)) -
                              static_cast<long long>(addressWidth / 2) - 1;
  for (long long i = 0; i < dataBytes; ++i) {
    long long value = 0;
    if (!HexValue(line, 4 + addressWidth + 2 * static_cast<size_t>(i), 2, value)) return false;
    if (!area.Place(address + i, value)) return false;
  }
  return true;
}

// Intel HEX type 01; S-records end with S7, S8 or S9 (the start address of S3, S2, S1 data).
bool IsEndRecord(HexRecordKind kind, std::string_view line) {
  if (kind == HexRecordKind::IntelHex) return line.size() > 8 && line[8] == '1';
  return line.size() > 1 && (line[1] == '7' || line[1] == '8' || line[1] == '9');
}

}  // namespace

HexRecordKind DetectHexRecordKind(std::string_view text) {
  HexRecordKind kind = HexRecordKind::Undecided;
  ForEachLine(text, [&](std::string_view line) {
    if (line.empty()) return true;
    const char first = line[0];
    if (kind == HexRecordKind::Undecided) {
      if (first == 'S' || first == 's') {
        if (line.size() > 1 && line[1] == '2') kind = HexRecordKind::S2;
        if (line.size() > 1 && line[1] == '3') kind = HexRecordKind::S3;
        return true;
      }
      if (first == ':') {
        kind = HexRecordKind::IntelHex;
        return true;
      }
      kind = HexRecordKind::Invalid;
      return false;
    }
    const bool same =
        kind == HexRecordKind::IntelHex ? first == ':' : (first == 'S' || first == 's');
    if (!same) {
      kind = HexRecordKind::Invalid;
      return false;
    }
    return true;
  });
  return kind;
}

bool BuildHexImage(std::string_view text, std::vector<uint8_t>& area, std::string* why) {
  const auto fail = [why](std::string reason) {
    if (why) *why = std::move(reason);
    return false;
  };
  const HexRecordKind kind = DetectHexRecordKind(text);
  if (kind == HexRecordKind::Invalid || kind == HexRecordKind::Undecided) {
    return fail("neither Intel HEX nor S-record text");
  }
  ImageArea image(area);
  long long addressBase = 0;
  const size_t addressWidth = kind == HexRecordKind::S3 ? 8 : 6;
  size_t lineNumber = 0;
  bool ended = false;
  const bool placed = ForEachLine(text, [&](std::string_view line) {
    ++lineNumber;
    if (line.empty()) return true;
    // What follows the end record is not part of the image.
    if (IsEndRecord(kind, line)) {
      ended = true;
      return false;
    }
    return kind == HexRecordKind::IntelHex ? PlaceIntelHexLine(line, image, addressBase)
                                           : PlaceSRecordLine(line, addressWidth, image);
  });
  if (!placed && !ended) {
    return fail("line " + std::to_string(lineNumber) +
                ": a record that does not fit the image or is cut short");
  }
  // Text cut off before its end record is an image with its tail missing.
  if (!ended) return fail("no end record: the text is cut short");
  return true;
}
