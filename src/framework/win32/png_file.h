#pragma once

#include <cstdint>
#include <vector>

namespace fw::win32 {

// A PNG file of 8-bit RGB pixels given row by row from the top, each 0xRRGGBB. The image
// data is stored uncompressed: the screenshots are small and need no zlib.
std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint32_t>& pixels);

}  // namespace fw::win32
