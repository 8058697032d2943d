#pragma once

#include <cstdint>

namespace fw {

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

struct Size {
  int cx = 0;
  int cy = 0;
  bool operator==(const Size&) const = default;
};

// Left/top inclusive, right/bottom exclusive, as window rectangles are everywhere here.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  bool operator==(const Rect&) const = default;
};

struct Color {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  bool operator==(const Color&) const = default;
};

constexpr Color Rgb(uint8_t r, uint8_t g, uint8_t b) {
  return Color{r, g, b};
}

}  // namespace fw
