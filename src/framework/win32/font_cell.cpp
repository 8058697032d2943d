#include "framework/win32/font_cell.h"

#include <array>
#include <cstdint>

namespace fw::win32 {

namespace {
constexpr DWORD TableTag(char a, char b, char c, char d) {
  // GetFontData takes the tag as the four bytes in file order, read little-endian.
  return static_cast<DWORD>(static_cast<uint8_t>(a)) |
         static_cast<DWORD>(static_cast<uint8_t>(b)) << 8 |
         static_cast<DWORD>(static_cast<uint8_t>(c)) << 16 |
         static_cast<DWORD>(static_cast<uint8_t>(d)) << 24;
}

// A big-endian 16-bit field of a font table, or 0 when the font has no such table.
unsigned TableWord(HDC dc, DWORD tag, DWORD offset) {
  std::array<uint8_t, 2> bytes{};
  if (GetFontData(dc, tag, offset, bytes.data(), 2) != 2) return 0;
  return static_cast<unsigned>(bytes[0]) << 8 | bytes[1];
}

int CeilDiv(long long number, long long denominator) {
  return static_cast<int>((number + denominator - 1) / denominator);
}
}  // namespace

Size MeasureBaseUnits(HDC dc, int emPixels) {
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE extent{};
  GetTextExtentPoint32A(dc, kLetters, 52, &extent);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  int cell = static_cast<int>(metrics.tmHeight);
  // unitsPerEm of the 'head' table; usWinAscent and usWinDescent of the 'OS/2' table.
  const unsigned unitsPerEm = TableWord(dc, TableTag('h', 'e', 'a', 'd'), 18);
  const unsigned ascent = TableWord(dc, TableTag('O', 'S', '/', '2'), 74);
  const unsigned descent = TableWord(dc, TableTag('O', 'S', '/', '2'), 76);
  if (unitsPerEm > 0 && ascent > 0 && emPixels > 0) {
    cell = CeilDiv(static_cast<long long>(ascent) * emPixels, unitsPerEm) +
           CeilDiv(static_cast<long long>(descent) * emPixels, unitsPerEm);
  }
  return Size{(extent.cx / 26 + 1) / 2, cell};
}

}  // namespace fw::win32
