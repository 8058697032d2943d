#include "res/picture_data.h"

namespace res {

fw::Image Unpack(const PackedPicture& packed) {
  if (packed.width <= 0 || packed.height <= 0 || packed.runBytes % 2 != 0) return fw::Image{};
  const size_t total = static_cast<size_t>(packed.width) * static_cast<size_t>(packed.height);
  std::vector<uint32_t> pixels;
  pixels.reserve(total);
  for (size_t i = 0; i < packed.runBytes; i += 2) {
    const size_t count = packed.runs[i];
    const size_t colour = packed.runs[i + 1];
    if (colour >= packed.paletteSize || count > total - pixels.size()) return fw::Image{};
    pixels.insert(pixels.end(), count, packed.palette[colour]);
  }
  if (pixels.size() != total) return fw::Image{};
  return fw::Image{packed.width, packed.height, packed.bitsPerPixel, std::move(pixels)};
}

}  // namespace res
