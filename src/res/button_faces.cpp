#include "res/button_faces.h"

namespace res {

fw::Image DrawButtonFace(uint32_t ink) {
  constexpr int kWidth = 108;
  constexpr int kHeight = 22;
  constexpr int kBlock = 9;
  constexpr uint32_t kWhite = 0xFFFFFF;
  fw::Image face{kWidth, kHeight, 4, std::vector<uint32_t>(kWidth * kHeight, kWhite)};
  auto set = [&](int x, int y, uint32_t colour) { face.pixels[y * kWidth + x] = colour; };
  for (int y = 1; y < kHeight - 1; ++y) {
    for (int x = 1; x < kWidth - 1; ++x) {
      const bool frame = x == 1 || y == 1 || x == kWidth - 2 || y == kHeight - 2;
      const bool block = x < 2 + kBlock || x >= kWidth - 2 - kBlock;
      const bool stripe = y == 4 || y == kHeight - 5;
      if (frame || (block && !stripe)) set(x, y, ink);
    }
  }
  return face;
}

}  // namespace res
