#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "framework/resources.h"

namespace res {

// A picture as draw_pictures.py packs it: a palette of 0xRRGGBB colours and runs of
// (count, palette index) byte pairs over the rows, top row first.
struct PackedPicture {
  int id;
  int width;
  int height;
  int bitsPerPixel;
  const uint32_t* palette;
  size_t paletteSize;
  const uint8_t* runs;
  size_t runBytes;
};

// Every picture of the program: printer pictures, the notice picture, the icon.
std::span<const PackedPicture> PackedPictures();

// The picture's pixels. Runs that would overflow the picture, name a colour the palette
// lacks or leave it short give an empty image rather than a wrong one.
fw::Image Unpack(const PackedPicture& packed);

}  // namespace res
